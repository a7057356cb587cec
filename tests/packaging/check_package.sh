#!/usr/bin/env bash
# Packages this build with CPack, unpacks the .deb into a temporary root as
# dpkg would install it, and checks what a technician gets: the programs run
# from there, their version is the project's, the desktop entry, metainfo and
# man pages are valid, and lintian finds no error.
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
[[ $("$root/usr/bin/stela-sim" --version) == "stela-sim $version" ]] || fail "stela-sim --version"
"$root/usr/bin/stela-cli" --help | grep -q "^Usage: stela-cli" || fail "stela-cli --help"

share=$root/usr/share
desktop-file-validate "$share/applications/ru.orvena.stela.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$share/metainfo/ru.orvena.stela.metainfo.xml" >/dev/null ||
    fail "metainfo"
grep -q "release version=\"$version\"" "$share/metainfo/ru.orvena.stela.metainfo.xml" ||
    fail "metainfo release"
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
echo "package ok: $(basename "$deb")"
