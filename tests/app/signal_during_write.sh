#!/usr/bin/env bash
# The real window, stopped at every step of "Записать" against stela-sim: each
# time, every panel's two halves must be equal afterwards (old or new price).
#
#   tests/app/signal_during_write.sh BUILD_DIR [STOP] [SIM OPTION]...
#
# STOP: a signal (TERM), two in a row (TERM+HUP, as at a shutdown; the window
# ends with 128 + either's number), or "display": the window's Xvfb (one per
# step) is killed, and it ends with Qt's "The X11 connection broke" and 1.
# Needs Xvfb and xdotool (scripts/deps installs both). The stop comes as the
# sign receives the first copy of the k-th frame, for k = 1 to 10, and once
# more after the last frame's confirmation (STEPS chooses some).
set -euo pipefail
bin=$(realpath "$1")/bin
stop=${2:-TERM}
shift $(($# >= 2 ? 2 : 1))
work=$(mktemp -d "${TMPDIR:-/tmp}/stela-signal-XXXXXX")
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state LANG=C LANGUAGE= LC_ALL=
sim_pid=
stela_pid=
x_pid=
cleanup() {
    [[ -n $stela_pid ]] && kill -KILL "$stela_pid" 2>/dev/null
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    [[ -n $x_pid ]] && kill "$x_pid" 2>/dev/null && wait "$x_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
printf 'leak:libdbus-1.so\n' >"$work/lsan.supp" # under ASan: D-Bus's own, left at exit
export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$work/lsan.supp

# The frames W0.., W8.., W1.., ... in the order the write sends them.
order=(0 8 1 9 2 : 3 ';' 4 '<')
# A window that ended before its stop fails the step at once, with its last words.
alive() {
    kill -0 "$stela_pid" 2>/dev/null && return
    echo "step $k: the window ended before its stop:" >&2
    tail -n 20 "$work/stela.out" >&2
    exit 1
}
failed=0
for k in ${STEPS:-1 2 3 4 5 6 7 8 9 10 11}; do
    mkdir -p "$XDG_CONFIG_HOME"
    rm -f "$work/sim.out" "$work/display" # else the last step's may pass for this one's
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    x_pid=$!
    until [[ -s $work/display ]]; do sleep 0.05; done
    export DISPLAY=:$(<"$work/display")
    "$bin/stela-sim" --com 3 "$@" >"$work/sim.out" 2>&1 &
    sim_pid=$!
    until [[ -s $work/sim.out ]]; do sleep 0.05; done

    QT_QPA_PLATFORM=xcb "$bin/stela" >"$work/stela.out" 2>&1 &
    stela_pid=$!
    # The start-up search's notice is confirmed; then the window is shown.
    window=
    until [[ -n $window ]]; do
        alive
        for notice in $(xdotool search --onlyvisible --name 'D731$' 2>/dev/null); do
            xdotool key --window "$notice" Return 2>/dev/null || true
        done
        sleep 0.2
        window=$(xdotool search --onlyvisible --name 'orvena' 2>/dev/null | head -n 1 || true)
    done
    sleep 0.3
    # Row 1's price, then "Записать" (Button8 in GroupBox5 at 8,0).
    xdotool mousemove --window "$window" 531 40 click 1 type 4567
    xdotool mousemove --window "$window" 72 172 click 1

    if ((k <= 10)); then
        wanted="rx W${order[k - 1]}"
        until grep -qF -- "$wanted" "$work/sim.out"; do alive && sleep 0.002; done
    else
        # The read-back's first frame: the write has ended.
        until grep -A1000 -F 'rx W<' "$work/sim.out" | grep -qF 'rx R0E'; do alive && sleep 0.002; done
    fi
    case $stop in
    display) kill -KILL "$x_pid" ;;
    *) for signal in ${stop//+/ }; do kill "-$signal" "$stela_pid"; done ;;
    esac
    status=0
    wait "$stela_pid" || status=$?
    stela_pid=
    kill "$x_pid" 2>/dev/null || true
    wait "$x_pid" 2>/dev/null || true
    x_pid=

    # What the sign now holds: each panel's halves must agree.
    read_out=$("$bin/stela-cli" read --port COM3 --format json 2>/dev/null || true)
    kill "$sim_pid" && wait "$sim_pid" 2>/dev/null || true
    sim_pid=
    frames=$(grep -c 'rx W' "$work/sim.out" || true)
    verdict=$(python3 -c '
import json, sys
halves = json.loads(sys.stdin.read())["halves"]
rows = {}
for h in halves:
    rows.setdefault(h["row"], []).append((h["price"], h["grade"], h["caption1"], h["caption2"]))
split = [r for r, pair in rows.items() if len(pair) != 2 or pair[0] != pair[1]]
print(" ".join(str(rows[r][0][0]) for r in sorted(rows)) + (" SPLIT " + str(split) if split else ""))
' <<<"$read_out")
    split=0
    [[ $verdict == *SPLIT* ]] && split=1
    printf 'stop at step %2d: exit %d, %2d write frames received, rows 1-5: %s\n' \
        "$k" "$status" "$frames" "$verdict"
    expected=" 1 "
    grep -qF 'The X11 connection broke' "$work/stela.out" || expected=
    [[ $stop != display ]] && expected=$(for s in ${stop//+/ }; do echo " $((128 + $(kill -l $s))) "; done)
    if ((split)) || [[ $expected != *" $status "* ]]; then
        failed=1
        tail -n 5 "$work/stela.out" >&2
    fi
    rm -rf "$XDG_CONFIG_HOME"
done
exit "$failed"
