#!/usr/bin/env bash
# CPU time of the real `stela`, idle with its port open on stela-sim and 100
# unread bytes queued, over SECONDS (default 30): utime + stime from
# /proc/PID/stat, in clock ticks. Runs under Xvfb; builds nothing.
#   bench/idle_cpu.sh [BUILD_DIR] [SECONDS]
#
# The start-up search finds the sign on COM3 and leaves the port open. A click
# on "Прочитать" then reads the ten halves; the sign sends 100 bytes after the
# last reply, which nobody reads. The port's event monitor sees them arrive
# (one batch) and from then on must cost nothing.
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-30}
# The windows are found by their titles as written.
export LANG=C LANGUAGE= LC_ALL=
for program in stela stela-sim; do
    if [[ ! -x $build/bin/$program ]]; then
        echo "idle_cpu: $build/bin/$program is missing; build first" >&2
        exit 1
    fi
done

# Half 8 (row 5, second half) is the last one the read asks for.
surplus=$(printf 'x%.0s' $(seq 100))
# shellcheck source=bench/served_sign.sh
source "$(dirname "$0")/served_sign.sh"
serve_sign "$build/bin" 3 --delay 0 --fault "surplus=$surplus,address=8,frames=read"
# The search walks COM1 to COM255: every other name that has a default device
# stands for none here, so that the machine's own serial ports stay untouched.
for n in $(seq 96); do
    [[ $n == 3 ]] || ln -s /nonexistent "$XDG_CONFIG_HOME/stela/dosdevices/com$n"
done

export STELA=$build/bin/stela SECONDS_IDLE=$seconds
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    "$STELA" 2>/dev/null & stela=$!
    # The search notice comes before the window: confirm it with Enter.
    xdotool search --sync --onlyvisible --name "^ОРВЕНА - управление" >/dev/null
    sleep 0.3
    xdotool key Return
    window=$(xdotool search --sync --onlyvisible --name "^ОРВЕНА С520" | head -1)
    sleep 0.5
    # Xvfb has no window manager: give the window the input focus, as a click
    # on a desktop would, so that the button keeps it.
    xdotool windowfocus --sync "$window"
    xdotool mousemove --window "$window" 68 60 click 1   # "Прочитать"
    sleep 3                                               # ten halves take ~1.1 s
    # utime + stime of the process (the first line) and of each thread, and
    # how often each went to sleep (its wake-ups), as "id name ticks sleeps"
    # lines. The name in a stat line may hold spaces: the fields are counted
    # after its closing parenthesis.
    ticks() {
        local path stat name s sleeps
        for path in /proc/$stela /proc/$stela/task/*; do
            stat=$(<"$path/stat") || continue
            name=$(<"$path/comm")
            read -r -a s <<<"${stat##*) }"
            sleeps=$(awk "/^voluntary_ctxt_switches/ { print \$2 }" "$path/status")
            echo "${path#/proc/} ${name// /_} $((s[11] + s[12])) $sleeps"
        done
    }
    before=$(ticks)
    sleep "$SECONDS_IDLE"
    after=$(ticks)
    echo "stela idle for ${SECONDS_IDLE} s with the port open and 100 unread bytes queued:"
    echo "  utime+stime in ticks of 1/$(getconf CLK_TCK) s, and wake-ups"
    join <(sort <<<"$before") <(sort <<<"$after") |
        awk "{ printf \"  %-24s %-16s %3d ticks %5d wake-ups\n\", \$1, \$2, \$6 - \$3, \$7 - \$4 }"
    kill -TERM $stela
    wait $stela 2>/dev/null || true
'
# What the sign sent after the last reply, as its log shows it.
sent=$(grep -c "xxxxxxxxxx" "$XDG_CONFIG_HOME/sim.out" || true)
echo "  replies the sign sent with the 100 surplus bytes: $sent"
