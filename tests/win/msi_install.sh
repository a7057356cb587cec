#!/usr/bin/env bash
# The MSI under Wine, as an administrator runs it, in a throwaway prefix: it
# replaces an older version (one stela registered afterwards, of this version),
# installs every staged file, two Start-menu entries and PATH, so that the
# installed stela-cli.exe runs, by its path and by name from a command prompt;
# its uninstall leaves no file, entry or PATH part behind. Both programs carry
# the icon and this version in their resources.
#   msi_install.sh stela.msi staged-folder icon.ico version
set -euo pipefail
msi=$(realpath "$1") staged=$(realpath "$2") icon=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
# (A UTF-8 locale: Wine names the entries' files in the machine's charset.)
export LANG=C.UTF-8 WINEDEBUG=-all WINEPREFIX=$work/prefix WINEDLLOVERRIDES=winemenubuilder.exe=d
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset LC_ALL LC_MESSAGES LANGUAGE
wineboot -i >/dev/null 2>&1
failed=0
check() {  # check WHAT EXPECTED ACTUAL
    if [[ $2 != "$3" ]]; then
        printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3" >&2
        failed=1
    fi
}
installed=$WINEPREFIX/drive_c/Program\ Files/stela
files() { (cd "$1" 2>/dev/null && find . -type f | LC_ALL=C sort | tr '\n' ' '); }
entries() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/stela*' | sed 's|.*/Programs/||' |
    LC_ALL=C sort | tr '\n' ' '; }
versions() {
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | awk '/DisplayName +REG_SZ +stela$/ {n = 1} /^HKEY/ {n = 0}
            n && /DisplayVersion/ {print $3}' | tr '\n' ' '
}
path() {
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH |
        tr -d '\r' | sed -n 's/.*REG_EXPAND_SZ *//p'
}
path_before=$(path)

for program in stela stela-cli; do
    resources=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$staged/$program.exe")
    check "$program.exe's icon and version" "RT_GROUP_ICON \"FileVersion\", \"$version\"" \
        "$(grep -o 'RT_GROUP_ICON\|"FileVersion", "[^"]*"' <<<"$resources" | tr '\n' ' ' | sed 's/ $//')"
done

installed_checks() {  # after installing this version
    check "the files installed" "$(files "$staged")" "$(files "$installed")"
    check "the Start-menu entries" \
        "stela stela/Командная строка stela-cli.lnk stela/ОРВЕНА - управление стелой.lnk " \
        "$(entries)"
    check "the versions registered" "$version " "$(versions)"
}
removed_checks() {
    check "the files left after uninstalling" "" "$(files "$installed")$(ls -d "$installed" 2>/dev/null)"
    check "the Start-menu entries left" "" "$(entries)"
    check "the versions registered after uninstalling" "" "$(versions)"
    [[ $(path) != *stela* ]] || check "PATH after uninstalling" "$path_before" "$(path)"
}

wine msiexec /i "$msi" /qn
installed_checks
check "PATH" "$path_before;C:\\Program Files\\stela\\" "$(path)"
check "the installed stela-cli.exe --version" "stela-cli $version" \
    "$(wine 'C:\Program Files\stela\stela-cli.exe' --version | tr -d '\r')"
check "stela-cli --version from a command prompt, by PATH" "stela-cli $version" \
    "$(wine cmd /c 'cd /d C:\ && stela-cli --version' | tr -d '\r')"
wine msiexec /x "$msi" /qn
removed_checks

# An older version, then this one over it. (Wine's uninstall leaves PATH's ';'
# behind, and its cmd stops looking at an empty part: PATH is checked above.)
"$here/../../packaging/windows/make-msi" "$staged" 0.0.1 "$icon" "$work/old.msi"
wine msiexec /i "$work/old.msi" /qn
wine msiexec /i "$msi" /qn
installed_checks
wine msiexec /x "$msi" /qn
removed_checks
exit $failed
