# What every scenario script uses. Each "@@" line on the console is for the host:
#   @@ pass NAME            a check held
#   @@ fail NAME: WHY       a check failed
#   @@ figure TEXT          a measured figure, printed by the host
#   @@ ask VERB ARGS        a request to the host; its one-line answer comes back on
#                           the console and is printed by ask
pass() { echo "@@ pass $*"; }
fail() { echo "@@ fail $*"; }
figure() { echo "@@ figure $*"; }
ask() {
    echo "@@ ask $*" >/dev/console
    read -r answer </dev/console
    echo "$answer"
}

# expect NAME WANTED GOT
expect() {
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: wanted '$2', got '$3'"; fi
}

# Milliseconds since boot (10 ms steps).
now_ms() {
    read -r up _ </proc/uptime
    echo $(( ${up%.*} * 1000 + 10 * $(echo "${up#*.}" | sed 's/^0//') ))
}

# wait_for PATH [present|absent] [SECONDS]: true when PATH got there in time.
wait_for() {
    local left=$(( ${3:-10} * 50 ))
    while [ $left -gt 0 ]; do
        if [ "$2" = absent ]; then [ -e "$1" ] || return 0; else [ -e "$1" ] && return 0; fi
        usleep 20000
        left=$((left - 1))
    done
    return 1
}

# The sign served on a pseudo-terminal inside the guest, as the figures' and
# results' baseline: start_pty_sign sets PTY_SIGN (its device) and PTY_SIGN_PID.
start_pty_sign() {
    stela-sim "$@" >/tmp/pty-sign.log 2>&1 &
    PTY_SIGN_PID=$!
    wait_for /tmp/pty-sign.log present 5
    while [ ! -s /tmp/pty-sign.log ]; do usleep 10000; done
    PTY_SIGN=$(head -n 1 /tmp/pty-sign.log)
}
stop_pty_sign() {
    kill "$PTY_SIGN_PID" 2>/dev/null
    wait "$PTY_SIGN_PID" 2>/dev/null
}
