#!/usr/bin/env bash
# The protocol's real-time figures against the simulated sign, and the wall time
# of the virtual-time suites. Builds nothing: give it a build directory.
#   bench/run_figures.sh [BUILD_DIR]        (default: build)
# PASSES (default 50), RUNS (default 5) and CLOSES (default 200) set the sample
# counts.
#
# stela-sim answers at once (--delay 0) on a pseudo-terminal registered as COM9
# in a private configuration directory; the programs open COM9 as the window
# would. Measure on a quiet machine: the load is printed first.
set -euo pipefail
build=$(realpath "${1:-build}")
bin=$build/bin
passes=${PASSES:-50}
runs=${RUNS:-5}
com=9

for program in stela-sim bench_panel_read bench_price_workflows bench_event_monitor protocol_tests \
    workflows_tests; do
    if [[ ! -x $bin/$program ]]; then
        echo "run_figures: $bin/$program is missing; build first" >&2
        exit 1
    fi
done

# A private configuration directory: the COM9 link lives there, the user's is untouched.
# shellcheck source=bench/served_sign.sh
source "$(dirname "$0")/served_sign.sh"
serve_sign "$bin" "$com" --delay 0 --quiet
device=$sim_device

echo "load: $(uptime)"
echo "sign: stela-sim --delay 0 on $device as COM$com"
echo
"$bin/bench_panel_read" "COM$com" "$passes"
echo
"$bin/bench_price_workflows" "COM$com" "$runs"
echo
"$bin/bench_event_monitor" "COM$com" "${CLOSES:-200}" "$runs"

ticks=$(getconf CLK_TCK)
read -r -a stat <"/proc/$sim_pid/stat"
echo "stela-sim CPU over all of the above: $(((stat[13] + stat[14]) * 1000 / ticks)) ms"

# The virtual-time suites: every exchange in simulated time, so wall time is CPU.
echo
total=0
for suite in protocol_tests workflows_tests; do
    start=${EPOCHREALTIME/./}
    if ! "$bin/$suite" >"$XDG_CONFIG_HOME/$suite.out" 2>&1; then
        cat "$XDG_CONFIG_HOME/$suite.out" >&2
        echo "run_figures: $suite failed" >&2
        exit 1
    fi
    us=$((${EPOCHREALTIME/./} - start))
    total=$((total + us))
    printf '%-14s %6d.%01d ms wall  (%s)\n' "$suite" $((us / 1000)) $((us % 1000 / 100)) \
        "$(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$XDG_CONFIG_HOME/$suite.out")"
done
printf '%-14s %6d.%01d ms wall  (figure: under 2000 ms)\n' "both" $((total / 1000)) \
    $((total % 1000 / 100))
