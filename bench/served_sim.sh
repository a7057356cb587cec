# Sourced by the figure scripts: serve_sim NAME BIN COM starts stela-sim answering
# at once (--delay 0) on a pseudo-terminal registered as COM<COM> in a private
# configuration directory ($XDG_CONFIG_HOME, removed at exit with the sign), and
# sets `device` to its path. Exits the script when the sign does not start.
serve_sim() {
    local name=$1 bin=$2 com=$3
    export XDG_CONFIG_HOME
    XDG_CONFIG_HOME=$(mktemp -d)
    sim_pid=
    trap 'stop_sim' EXIT
    "$bin/stela-sim" --delay 0 --com "$com" --quiet >"$XDG_CONFIG_HOME/sim.out" &
    sim_pid=$!
    # Its first line is the device path, printed once the COM link is in place.
    for ((i = 0; i < 100; i++)); do
        [[ -s $XDG_CONFIG_HOME/sim.out ]] && break
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            echo "$name: stela-sim did not start" >&2
            exit 1
        fi
        sleep 0.05
    done
    device=$(head -n 1 "$XDG_CONFIG_HOME/sim.out")
    [[ -n $device ]] || { echo "$name: stela-sim printed no device path" >&2; exit 1; }
}

stop_sim() {
    if [[ -n ${sim_pid:-} ]]; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$XDG_CONFIG_HOME"
}
