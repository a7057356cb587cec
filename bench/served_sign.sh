# Sourced by the figure scripts. serve_sign BIN COM [OPTION]... starts
# BIN/stela-sim with the options given, registered as COM<COM> in a private
# configuration directory (XDG_CONFIG_HOME and XDG_STATE_HOME, exported; the
# user's are untouched), and sets sim_device to its pseudo-terminal. At exit
# the sign stops and the directory goes. Its output (the first line is the device path) is in
# $XDG_CONFIG_HOME/sim.out.
serve_sign() {
    local bin=$1 com=$2
    shift 2
    export XDG_CONFIG_HOME XDG_STATE_HOME
    XDG_CONFIG_HOME=$(mktemp -d)
    XDG_STATE_HOME=$XDG_CONFIG_HOME/state
    sim_pid=
    trap stop_served_sign EXIT
    "$bin/stela-sim" --com "$com" "$@" >"$XDG_CONFIG_HOME/sim.out" 2>&1 &
    sim_pid=$!
    # The first line is printed once the COM link is in place.
    for ((i = 0; i < 100; i++)); do
        [[ -s $XDG_CONFIG_HOME/sim.out ]] && break
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            echo "stela-sim did not start" >&2
            exit 1
        fi
        sleep 0.05
    done
    sim_device=$(head -n 1 "$XDG_CONFIG_HOME/sim.out")
    if [[ -z $sim_device ]]; then
        echo "stela-sim printed no device path" >&2
        exit 1
    fi
}

stop_served_sign() {
    if [[ -n $sim_pid ]]; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$XDG_CONFIG_HOME"
}
