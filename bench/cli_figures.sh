#!/usr/bin/env bash
# stela-cli's figures against the simulated sign, in one run beside the window's:
#  - `stela-cli read --port COM9`, start to exit, against the window's read of
#    the ten halves (bench_price_workflows: the console on a window with no
#    screen) measured on the same sign just before;
#  - its CPU time (user + system) against that wall time;
#  - start to the first frame on the line (strace timestamps of execve and the
#    first write), for `brightness auto` (sent at once) and for `read`, whose
#    first half waits the read delay (50 ms) before it sends.
# Builds nothing: give it a build directory.
#   bench/cli_figures.sh [BUILD_DIR]        (default: build)
# RUNS (default 10) sets the sample count.
set -euo pipefail
build=$(realpath "${1:-build}")
bin=$build/bin
runs=${RUNS:-10}
com=9

for program in stela-sim stela-cli bench_price_workflows; do
    if [[ ! -x $bin/$program ]]; then
        echo "cli_figures: $bin/$program is missing; build first" >&2
        exit 1
    fi
done
command -v strace >/dev/null || { echo "cli_figures: needs strace" >&2; exit 1; }

# shellcheck source=bench/served_sign.sh
source "$(dirname "$0")/served_sign.sh"
serve_sign "$bin" "$com" --delay 0 --quiet
device=$sim_device
work=$XDG_CONFIG_HOME

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

echo "load: $(uptime)"
echo "sign: stela-sim --delay 0 on $device as COM$com"
echo

# The window's read, in the same run.
"$bin/bench_price_workflows" "COM$com" "$runs" | tee "$work/window.out"
window_ms=$(awk '/^read of the ten halves +[0-9]/ {print $8}' "$work/window.out")

# stela-cli read, start to exit, and its CPU time: the subshell's `times`
# gives its children's user and system time to the millisecond.
(
    total=0
    for ((i = 0; i < runs; i++)); do
        start=${EPOCHREALTIME/./}
        "$bin/stela-cli" read --port "COM$com" >/dev/null
        us=$((${EPOCHREALTIME/./} - start))
        total=$((total + us))
        echo "$us" >>"$work/cli.us"
    done
    echo "$total" >"$work/cli.total"
    times >"$work/cli.times.all"
    tail -n 1 "$work/cli.times.all" >"$work/cli.times"
)
cli_ms=$(median <"$work/cli.us" | awk '{printf "%.2f", $1 / 1000}')
cpu_ms=$(awk '{n = split($1 " " $2, t, " "); s = 0; for (i = 1; i <= n; i++) { split(t[i], p, "m"); s += p[1] * 60 + p[2] } printf "%.1f", s * 1000}' "$work/cli.times")
wall_ms=$(awk '{printf "%.1f", $1 / 1000}' "$work/cli.total")
echo
printf 'stela-cli read (median of %d, start to exit): %s ms; the window'"'"'s read: %s ms; difference %+.2f %%\n' \
    "$runs" "$cli_ms" "$window_ms" "$(awk -v c="$cli_ms" -v w="$window_ms" 'BEGIN {print 100 * (c - w) / w}')"
printf 'stela-cli read CPU (user + system, all runs): %s ms in %s ms = %.2f %%\n' "$cpu_ms" "$wall_ms" \
    "$(awk -v c="$cpu_ms" -v w="$wall_ms" 'BEGIN {print 100 * c / w}')"

# Start to first frame: from execve to the first write() that carries a frame.
first_frame() {
    local trace=$work/trace
    strace -f -ttt -e trace=execve,write -o "$trace" "$bin/stela-cli" "$@" --port "COM$com" >/dev/null
    awk -v frame="$1" '
        /execve\(/ && !start { start = $2 }
        /write\([0-9]+, "(LA|R0E)"/ && !sent { sent = $2 }
        END { printf "%.2f\n", (sent - start) * 1000 }' "$trace"
}
for what in "brightness auto" read; do
    for ((i = 0; i < runs; i++)); do
        # shellcheck disable=SC2086
        first_frame $what
    done | median | xargs printf "start to first frame, stela-cli $what --port (median of $runs, under strace): %s ms\n"
done
