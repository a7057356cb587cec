#!/usr/bin/env bash
# stela-cli's bash completion in a plain bash (no bash-completion package):
# each line of words, the cursor on the last, completes to what it should
# (the completions sorted).
#   completion_test.sh COMPLETION_FILE
set -euo pipefail
completion=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/stela/dosdevices" "$home/prices"
ln -s /dev/null "$home/stela/dosdevices/com7"
# UART types of built-in ports: ttyS2 (COM3) has one, ttyS5 none, ttyS40 no COM name.
mkdir -p "$home"/sys/class/tty/ttyS{2,5,40}
for tty in ttyS2:4 ttyS5:0 ttyS40:4; do echo "${tty#*:}" >"$home/sys/class/tty/${tty%:*}/type"; done
touch "$home/prices/monday.json" "$home/prices/monday.csv" "$home/prices/notes.txt"

failed=0
check() {
    local expected=$1
    shift
    local got
    got=$(XDG_CONFIG_HOME=$home _stela_cli_sysfs=$home/sys bash --norc --noprofile -c '
        source "$0"
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        _stela_cli
        printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd " "' "$completion" "$@")
    if [[ $got != "$expected" ]]; then
        echo "FAIL: stela-cli ${*:2}| gave '$got', not '$expected'" >&2
        failed=1
    fi
}

check "read" stela-cli re
check "search" stela-cli --verbose se
check "ports" stela-cli po
check "--format" stela-cli read --fo
check "--verbose --version" stela-cli read --ver
check "json" stela-cli read --format j
check "csv" stela-cli read --format = c
check "csv excel json text" stela-cli read --format =
check "prometheus text" stela-cli check --format =
check "json text" stela-cli ports --format =
check "" stela-cli search --format =
check "auto" stela-cli brightness a
check "COM3 COM7" stela-cli read --port CO
check "" stela-cli read ""
check "$home/prices/monday.csv $home/prices/monday.json" stela-cli write --file "$home/prices/"
check "1= 2= 3= 4= 5=" stela-cli write --row ""
check "CP1251 CP866" stela-cli write --file x.csv --encoding CP
exit "$failed"
