#!/usr/bin/env bash
# Start-up figure: from process start to the main window's first paint, with no
# serial device configured: the start-up search walks COM1 to COM255 and shows
# its notice, which the program confirms at once in this mode; the time the
# notice stood open is not counted. Runs `stela` RUNS times (default 10) under one X
# server (Xvfb when there is no display) and prints each time and the median.
#   bench/startup_time.sh [path/to/stela]
set -euo pipefail
stela=$(realpath "${1:-build/bin/stela}")
runs=${RUNS:-10}

if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$stela"
fi

# A private configuration directory, the user's untouched. Unless
# MACHINE_PORTS=1, every COM name is pointed at a missing device, so that the
# machine's own serial ports (a VM's /dev/ttyS0 answers nothing and costs the
# search its four polls) do not count.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
if [[ -z "${MACHINE_PORTS:-}" ]]; then
    mkdir -p "$config/stela/dosdevices"
    for ((n = 1; n <= 255; n++)); do
        ln -s /nonexistent/serial-port "$config/stela/dosdevices/com$n"
    done
fi

times=()
for ((i = 1; i <= runs; i++)); do
    start=${EPOCHREALTIME/./}
    out=$(XDG_CONFIG_HOME=$config XDG_STATE_HOME=$config/state STELA_EXIT_AFTER_FIRST_PAINT=1 "$stela" 2>/dev/null)
    read -r _ painted _ notices <<<"$out"
    ms=$(((painted - start - notices) / 100))
    times+=("$ms")
    printf 'run %2d: %d.%d ms\n' "$i" $((ms / 10)) $((ms % 10))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : int((a[NR/2]+a[NR/2+1])/2)}')
printf 'median of %d: %d.%d ms from process start to the first paint\n' "$runs" \
    $((median / 10)) $((median % 10))
