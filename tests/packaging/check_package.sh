#!/usr/bin/env bash
# Packages this build with CPack, unpacks the .deb into a temporary root as
# dpkg would install it, and checks what a technician gets: the programs run
# from there, their version is the project's, the desktop entry, metainfo and
# man pages are valid, stela-cli's schema and completions are there, the Ansible
# collection is there in the package's version with documentation ansible-doc
# reads, lintian finds no error and the programs carry Debian's hardening.
#   check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/stela_"$version"_*.deb) || fail "no stela_${version}_<arch>.deb"
dpkg-deb --field "$deb" Depends | grep -q 'libc6' || fail "no computed dependencies"
[[ $(dpkg-deb --field "$deb" Section) == utils ]] || fail "section"

root=$work/root
dpkg -x "$deb" "$root"
usage=$("$root/usr/bin/stela-sim" --help | head -n 1)
[[ $usage == "Usage: stela-sim [OPTION]..." ]] || fail "stela-sim --help: $usage"
"$root/usr/bin/stela-cli" --help | grep -q "^Usage: stela-cli" || fail "stela-cli --help"
for program in stela stela-cli stela-sim; do
    [[ $("$root/usr/bin/$program" --version) == "$program $version" ]] || fail "$program --version"
done
# The window's command line is answered before any window: no display here.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$root/usr/bin/stela" --help |
    grep -q "^Использование: stela" || fail "stela --help"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$root/usr/bin/stela" --bogus \
    2>/dev/null || status=$?
[[ $status == 2 ]] || fail "stela --bogus: status $status"

share=$root/usr/share
desktop-file-validate "$share/applications/ru.orvena.stela.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$share/metainfo/ru.orvena.stela.metainfo.xml" >/dev/null ||
    fail "metainfo"
grep -q "release version=\"$version\"" "$share/metainfo/ru.orvena.stela.metainfo.xml" ||
    fail "metainfo release"
[[ -s $share/stela/stela-cli.schema.json ]] || fail "JSON schema"
[[ -s $share/bash-completion/completions/stela-cli ]] || fail "bash completion"
[[ -s $share/zsh/vendor-completions/_stela-cli ]] || fail "zsh completion"
collections=$share/ansible/collections
grep -qx "version: $version" "$collections/ansible_collections/stela/sign/galaxy.yml" ||
    fail "Ansible collection version"
for module in stela_prices stela_facts; do
    [[ -s $collections/ansible_collections/stela/sign/plugins/modules/$module.py ]] ||
        fail "Ansible module $module"
    if command -v ansible-doc >/dev/null; then
        HOME=$work ANSIBLE_COLLECTIONS_PATH=$collections ansible-doc "stela.sign.$module" \
            >/dev/null || fail "ansible-doc stela.sign.$module"
    fi
done
for size in 48 128 256; do
    [[ -s $share/icons/hicolor/${size}x$size/apps/ru.orvena.stela.png ]] || fail "icon $size"
done
for page in stela stela-sim stela-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man page $page: $warnings"
    zcat "$share/man/man1/$page.1.gz" | grep -q "stela $version" || fail "man page $page version"
done

# The installed window speaks English to an English-speaking technician: it found
# its catalogues. Every COM name points at a missing device, so the start-up
# search ends at once; its notice is confirmed and the program ends once painted.
config=$work/config
mkdir -p "$config/stela/dosdevices"
for ((n = 1; n <= 255; n++)); do
    ln -s /nonexistent "$config/stela/dosdevices/com$n"
done
title=$(XDG_CONFIG_HOME=$config XDG_STATE_HOME=$config/state LANGUAGE= LC_ALL= LANG=en_US.UTF-8 QT_QPA_PLATFORM=offscreen \
    STELA_EXIT_AFTER_FIRST_PAINT=1 timeout 60 "$root/usr/bin/stela" 2>/dev/null |
    sed -n 's/^window-title //p')
[[ $title == "ORVENA C520/640 - firmware D731"* ]] || fail "installed catalogues not found: $title"

lintian --fail-on error "$deb" >&2 || fail "lintian"
# A sanitizer build goes without the hardening flags (cmake/Hardening.cmake).
if ! grep -q '^STELA_SANITIZE:STRING=.' "$build/CMakeCache.txt"; then
    "$(dirname "$0")/../../scripts/check-hardening" "$deb" || fail "hardening"
fi
echo "package ok: $(basename "$deb")"
