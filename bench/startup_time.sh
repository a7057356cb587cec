#!/usr/bin/env bash
# Start-up figure: from process start to the main window's first paint, with no
# serial device configured. Runs `stela` RUNS times (default 10) under one X
# server (Xvfb when there is no display) and prints each time and the median.
#   bench/startup_time.sh [path/to/stela]
set -euo pipefail
stela=$(realpath "${1:-build/bin/stela}")
runs=${RUNS:-10}

if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$stela"
fi

# A private configuration directory: no port overrides, the user's untouched.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT

times=()
for ((i = 1; i <= runs; i++)); do
    start=${EPOCHREALTIME/./}
    out=$(XDG_CONFIG_HOME=$config STELA_EXIT_AFTER_FIRST_PAINT=1 "$stela" 2>/dev/null)
    painted=${out##*first-paint-us }
    ms=$(((painted - start) / 100))
    times+=("$ms")
    printf 'run %2d: %d.%d ms\n' "$i" $((ms / 10)) $((ms % 10))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : int((a[NR/2]+a[NR/2+1])/2)}')
printf 'median of %d: %d.%d ms from process start to the first paint\n' "$runs" \
    $((median / 10)) $((median % 10))
