#!/usr/bin/env bash
# stela-cli.exe under Wine against stela-sim on a pseudo-terminal that a
# throwaway Wine prefix maps as COM3: each command's output and the frames the
# sign heard equal those of the Linux stela-cli on the same sign (a read saved
# for a spreadsheet written back among them); the journal
# lands under %LOCALAPPDATA%; a sign that goes away mid-write is exit 3 with
# the rows' account; Ctrl+C (Wine's console event for SIGINT) stops a write at
# the end of its row.
#   stela_cli_exe_end_to_end.sh stela-cli.exe linux-stela-cli linux-stela-sim
set -euo pipefail
exe=$1 linux_cli=$2 sim=$3
[[ -x $linux_cli && -x $sim ]] ||
    { echo "FAILED: no Linux stela-cli and stela-sim: give STELA_LINUX_BUILD" >&2; exit 1; }
"$(dirname "$0")/../../scripts/require-tools" wine wineserver wineboot || exit 1

work=$(mktemp -d)
sim_pid=
cleanup() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
# UTF-8: Wine takes the command line from Linux in the locale's charset.
export LANG=C.UTF-8 WINEDEBUG=-all WINEPREFIX=$work/prefix XDG_CONFIG_HOME=$work/config
export WINEDLLOVERRIDES=winemenubuilder.exe=d  # nothing of the prefix on the user's desktop
# The caller's XDG_STATE_HOME would be stela-cli.exe's journal (on Z:): none here.
unset LC_ALL LC_MESSAGES LANGUAGE XDG_STATE_HOME
# One server for the whole run, whose own output goes nowhere: a server that a
# run started would hold that run's output open and write into it.
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1
wineboot -i >/dev/null 2>&1
cat >"$work/prices.json" <<'EOF'
{"rows": [
 {"row": 1, "price": "11.11", "grade": "92", "caption1": false, "caption2": false},
 {"row": 2, "price": "22.22", "grade": "95", "caption1": true, "caption2": false},
 {"row": 3, "price": "33.33", "grade": "98", "caption1": false, "caption2": true},
 {"row": 4, "price": "44.44", "grade": "ДТ", "caption1": false, "caption2": false},
 {"row": 5, "price": "55.55", "grade": "80", "caption1": true, "caption2": true}]}
EOF

# start_sign [OPTION]...: stela-sim as COM3 for both programs; its log in $work/sign.
start_sign() {
    : >"$work/sign"
    "$sim" --com 3 "$@" >>"$work/sign" 2>/dev/null &
    sim_pid=$!
    until [[ $(wc -l <"$work/sign") -ge 1 ]]; do sleep 0.05; done
    ln -sfn "$(head -1 "$work/sign")" "$WINEPREFIX/dosdevices/com3"
}
stop_sign() {
    kill "$sim_pid" && wait "$sim_pid" || true
    sim_pid=
}
# run NAME PROGRAM ARGS...: its output (line ends as on Linux), status and the frames
# the sign heard (retries aside, as tests/vm/guest/workflows.sh compares them).
run() {
    local name=$1
    shift
    start_sign
    local status=0
    "$@" --port COM3 >"$work/out" 2>"$work/err" || status=$?
    stop_sign
    { tr -d '\r' <"$work/out"; echo "exit $status"; } >"$work/$name.out"
    # The frames received, a frame sent again in a row once: the write sends each
    # twice, and whether the sign takes the two as one depends on the gap between.
    sed -n 's/^\[[^]]*\] rx \([^ ]*\).*/\1/p' "$work/sign" | uniq >"$work/$name.heard"
}

# A read saved for a spreadsheet, as Windows writes it (CR LF), to be written back.
start_sign
wine "$exe" read --port COM3 --format excel >"$work/sheet.csv"
stop_sign

failed=0
for command in "read --format json" "write --file $work/prices.json --format json" \
    "brightness 5" "brightness auto" "effect 3" "read --format csv" \
    "write -n --row 5=71,30,grade=ДТ" "write --file $work/sheet.csv --format excel"; do
    read -ra args <<<"$command"
    run linux env XDG_STATE_HOME="$work/state" "$linux_cli" "${args[@]}"
    run windows wine "$exe" "${args[@]}"
    for kind in out heard; do
        if ! diff -u "$work/linux.$kind" "$work/windows.$kind"; then
            echo "FAILED: stela-cli.exe $command: its $kind differs from Linux's" >&2
            failed=1
        fi
    done
done

journal=("$WINEPREFIX"/drive_c/users/*/AppData/Local/stela/journal/*.log)
if ! grep -q 'WOK' "${journal[@]}"; then
    echo "FAILED: no journal under %LOCALAPPDATA%\\stela\\journal" >&2
    failed=1
fi

# The second half of row 3 (address 10, ":") is never confirmed; the sign goes
# away while the write waits there.
start_sign --fault silence,address=10,frames=write
status=0
wine "$exe" write --port COM3 --file "$work/prices.json" >/dev/null 2>"$work/err" &
cli_pid=$!
until grep -q ' rx W:' "$work/sign"; do sleep 0.05; done
kill -9 "$sim_pid"
sim_pid=
wait "$cli_pid" || status=$?
tr -d '\r' <"$work/err" | tail -n +2 >"$work/account"
cat >"$work/expected" <<'EOF'
Windows: Not ready. The connection to \\.\COM3 is lost: the adapter was unplugged or the device went away. Plug it in again and run `stela-cli search`.
Rows written and confirmed: 5, 4.
Row 3 may show two different prices: its first half confirmed, its second sent but not confirmed.
Rows not written: 2, 1 (the sign shows the old prices).
Write the prices again once the connection is back.
EOF
if [[ $status -ne 3 ]] || ! diff -u "$work/expected" "$work/account"; then
    echo "FAILED: a sign gone mid-write: exit $status, not 3 with the rows' account" >&2
    cat "$work/err" >&2
    failed=1
fi
# Ctrl+C while row 4 is written (replies late, so that it takes a while): the
# row is finished and the write stops there.
start_sign --fault late=150
status=0
wine "$exe" write --port COM3 --file "$work/prices.json" >/dev/null 2>"$work/err" &
cli_pid=$!
until grep -q ' rx W1' "$work/sign"; do sleep 0.05; done
kill -INT "$cli_pid"
wait "$cli_pid" || status=$?
stop_sign
cat >"$work/expected" <<'EOF'
stela-cli: stopped by Ctrl+C
Rows written and confirmed: 5, 4.
Rows not written: 3, 2, 1 (the sign shows the old prices).
Write the prices again to write every row.
EOF
if [[ $status -ne 130 ]] || ! diff -u "$work/expected" <(tr -d '\r' <"$work/err"); then
    echo "FAILED: Ctrl+C amid row 4: exit $status, not 130 with rows 5 and 4 written" >&2
    failed=1
fi
exit $failed
