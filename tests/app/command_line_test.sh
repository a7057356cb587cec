#!/usr/bin/env bash
# stela's command line is answered before any window or port: with no display
# at all, --help and --version print and end with 0, a wrong option or an
# argument with 2, each at once.
#   command_line_test.sh STELA VERSION
set -uo pipefail
stela=$1
version=$2
failed=0

# Status, standard output and error of one run with no display, in LANG=$1.
run() {
    local language=$1
    shift
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u LANGUAGE -u LC_ALL -u LC_MESSAGES \
        LANG="$language" QT_QPA_PLATFORM=xcb timeout 5 "$stela" "$@" 2>"$errfile")
    status=$?
    err=$(cat "$errfile")
}
expect() {
    local what=$1 condition=$2
    if ! eval "$condition"; then
        echo "FAIL: $what: status $status, out '$out', err '$err'" >&2
        failed=1
    fi
}
errfile=$(mktemp)
trap 'rm -f "$errfile"' EXIT

run C --help
expect "--help" '[[ $status == 0 && $out == "Использование: stela [ПАРАМЕТР]..."* && -z $err ]]'
run en_US.UTF-8 -h
expect "-h in English" '[[ $status == 0 && $out == "Usage: stela [OPTION]..."* ]]'
run C --version
expect "--version" '[[ $status == 0 && $out == "stela $version" ]]'
run en_US.UTF-8 --bogus
expect "--bogus" '[[ $status == 2 && -z $out && $err == "stela: unknown option '"'--bogus'"'"* ]]'
run C extra
expect "an argument" '[[ $status == 2 && $err == "stela: лишний аргумент «extra»"* ]]'
run C -style
expect "a Qt option without its value" '[[ $status == 2 && $err == "stela: "* ]]'
exit "$failed"
