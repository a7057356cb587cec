#!/usr/bin/env bash
# Packages this build with CPack and checks what a technician gets from each of
# stela's Debian packages: each unpacked alone into a throwaway root, as dpkg
# would install it, runs its program there in the project's version; only the
# window's package depends on Qt; the installed programs find their catalogues
# in share/locale; the desktop entry, metainfo and man pages are valid; the guide,
# the example udev rule, stela-cli's schema, completions and monitoring examples, the Ansible
# collection are there; lintian finds no error or warning; the programs carry
# Debian's hardening; ansible-test's sanity tests pass on the collection.
#   check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
declare -A deb
for package in stela stela-cli stela-sim stela-common ansible-collection-stela-sign; do
    deb[$package]=$(ls "$work"/out/"$package"_"$version"_*.deb) ||
        fail "no ${package}_${version}_<arch>.deb"
    # Each alone in a root of its own.
    dpkg -x "${deb[$package]}" "$work/$package"
    depends=$(dpkg-deb --field "${deb[$package]}" Depends)
    if [[ $package == stela ]]; then
        [[ $depends == *libqt6widgets6* ]] || fail "stela does not depend on Qt: $depends"
        [[ $depends == *qt6-qpa-plugins* ]] || fail "stela does not depend on Qt's platform plugins"
    else
        [[ $depends != *libqt* ]] || fail "$package depends on Qt: $depends"
    fi
done
for package in stela stela-cli stela-sim; do
    [[ $(dpkg-deb --field "${deb[$package]}" Depends) == *libc6* ]] ||
        fail "$package: no computed dependencies"
    [[ $("$work/$package/usr/bin/$package" --version) == "$package $version" ]] ||
        fail "$package --version"
done
for package in stela stela-cli; do
    dpkg-deb --field "${deb[$package]}" Depends | grep -qF "stela-common (= $version)" ||
        fail "$package does not depend on stela-common of its version"
done
for package in stela-common ansible-collection-stela-sign; do
    [[ $(dpkg-deb --field "${deb[$package]}" Architecture) == all ]] || fail "$package: not all"
done

[[ $("$work/stela-sim/usr/bin/stela-sim" --help) == "Usage: stela-sim [OPTION]..."* ]] ||
    fail "stela-sim --help"
cli=$work/stela-cli/usr/bin/stela-cli
# (Output taken whole: grep -q would close the pipe early, failing the program.)
[[ $("$cli" --help) == "Usage: stela-cli"* ]] || fail "stela-cli --help"
# stela-cli's own catalogue, found from its own place: share/locale beside bin/.
[[ $(LANGUAGE='' LC_ALL='' LANG=ru_RU.UTF-8 "$cli" --help) == "Использование: stela-cli"* ]] ||
    fail "stela-cli does not find stela-cli.mo"
# The window's command line is answered before any window: no display here.
window=$work/stela/usr/bin/stela
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$window" --help)
[[ $usage == "Использование: stela"* ]] || fail "stela --help"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$window" --bogus \
    2>/dev/null || status=$?
[[ $status == 2 ]] || fail "stela --bogus: status $status"

share=$work/stela/usr/share
desktop-file-validate "$share/applications/ru.orvena.stela.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$share/metainfo/ru.orvena.stela.metainfo.xml" >/dev/null ||
    fail "metainfo"
grep -q "release version=\"$version\"" "$share/metainfo/ru.orvena.stela.metainfo.xml" ||
    fail "metainfo release"
for size in 48 128 256; do
    [[ -s $share/icons/hicolor/${size}x$size/apps/ru.orvena.stela.png ]] || fail "icon $size"
done
for package in stela stela-sim stela-cli; do
    page=$work/$package/usr/share/man/man1/$package.1.gz
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man page $package: $warnings"
    text=$(zcat "$page")
    [[ $text == *"stela $version"* ]] || fail "man page $package version"
    [[ $package == stela-sim || $text == *'/var/lock/LCK..'* ]] ||
        fail "man page $package does not name the lock files"
done
for package in "${!deb[@]}"; do
    [[ $(zcat "$work/$package/usr/share/doc/$package/changelog.gz") == "stela ($version)"* ]] ||
        fail "$package: no changelog entry for $version"
done

share=$work/stela-cli/usr/share
[[ -s $share/stela/stela-cli.schema.json ]] || fail "JSON schema"
[[ -s $share/bash-completion/completions/stela-cli ]] || fail "bash completion"
[[ -s $share/zsh/vendor-completions/_stela-cli ]] || fail "zsh completion"
for example in "$(dirname "$0")"/../../packaging/examples/*; do
    cmp -s "$example" "$share/doc/stela-cli/examples/${example##*/}" ||
        fail "monitoring example ${example##*/} not installed"
done

# The guide, and the udev rule as an example only: nothing under /etc or /lib.
doc=$work/stela-common/usr/share/doc/stela-common
for page in README connecting troubleshooting files stela-cli ansible stela-sim languages; do
    [[ -s $doc/$page.md ]] || fail "guide: $page.md"
done
grep -q 'ID_MM_DEVICE_IGNORE.*SYMLINK+="stela-sign"' "$doc/examples/99-stela.rules" || fail "udev example"
[[ ! -e $work/stela-common/etc && ! -e $work/stela-common/lib ]] || fail "stela-common activates something"

# The installed window speaks English to an English-speaking technician: it found
# stela-common's catalogues. Every COM name points at a missing device, so the
# start-up search ends at once; its notice is confirmed and the program ends once painted.
dpkg -x "${deb[stela-common]}" "$work/stela"
config=$work/config
mkdir -p "$config/stela/dosdevices"
for ((n = 1; n <= 255; n++)); do
    ln -s /nonexistent "$config/stela/dosdevices/com$n"
done
title=$(XDG_CONFIG_HOME=$config XDG_STATE_HOME=$config/state LANGUAGE='' LC_ALL='' LANG=en_US.UTF-8 QT_QPA_PLATFORM=offscreen \
    STELA_EXIT_AFTER_FIRST_PAINT=1 timeout 60 "$window" 2>/dev/null |
    sed -n 's/^window-title //p')
[[ $title == "ORVENA C520/640 - firmware D731"* ]] || fail "installed catalogues not found: $title"
# stela-cli beside stela-common says the serial layer's errors in Russian.
dpkg -x "${deb[stela-common]}" "$work/stela-cli"
message=$(XDG_CONFIG_HOME=$config XDG_STATE_HOME=$config/state LANGUAGE='' LC_ALL='' LANG=ru_RU.UTF-8 \
    "$cli" --port /nonexistent read 2>&1 || true)
[[ $message == *"Не удалось открыть COM-порт"* ]] || fail "stela-cport.mo not found: $message"

# The collection, in the packages' version, documented and sane.
collection=$work/ansible-collection-stela-sign/usr/share/ansible/collections/ansible_collections/stela/sign
grep -qx "version: $version" "$collection/galaxy.yml" || fail "Ansible collection version"
grep -q "^  $version:" "$collection/changelogs/changelog.yaml" || fail "collection changelog"
[[ -s $collection/LICENSE && -s $collection/tests/config.yml ]] || fail "collection LICENSE, tests"
for module in stela_prices stela_facts; do
    [[ -s $collection/plugins/modules/$module.py ]] || fail "Ansible module $module"
    if command -v ansible-doc >/dev/null; then
        HOME=$work ANSIBLE_COLLECTIONS_PATH=${collection%/ansible_collections/*} \
            ansible-doc "stela.sign.$module" >/dev/null || fail "ansible-doc stela.sign.$module"
    fi
done
# ansible-test's sanity tests that need nothing from the network (the others
# install their requirements with pip into a virtual environment).
if command -v ansible-test >/dev/null; then
    tests=(action-plugin-docs compile empty-init future-import-boilerplate ignores
           line-endings metaclass-boilerplate no-assert no-basestring no-dict-iteritems
           no-dict-iterkeys no-dict-itervalues no-get-exception no-illegal-filenames
           no-main-display no-smart-quotes no-unicode-literals replace-urlopen shebang
           shellcheck symlinks use-argspec-type-path use-compat-six)
    python=$(python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
    (cd "$collection" && HOME=$work ansible-test sanity --python "$python" \
        "${tests[@]/#/--test=}" >"$work/sanity.log" 2>&1) ||
        { cat "$work/sanity.log" >&2; fail "ansible-test sanity"; }
fi

lintian --fail-on error,warning "${deb[@]}" >&2 || fail "lintian"
# A sanitizer build goes without the hardening flags (cmake/Hardening.cmake).
if ! grep -q '^STELA_SANITIZE:STRING=.' "$build/CMakeCache.txt"; then
    "$(dirname "$0")/../../scripts/check-hardening" "${deb[stela]}" "${deb[stela-cli]}" \
        "${deb[stela-sim]}" || fail "hardening"
fi
echo "packages ok: $(cd "$work/out" && echo *.deb)"
