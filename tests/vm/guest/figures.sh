# Scenario 7: read and write with read-back through stela-cli on the 16550A, the
# FTDI adapter and a pseudo-terminal, timed against the protocol's floor: a read
# sleeps at least 10 x (50 ms pause + 50 ms poll) = 1.0 s, a write 10 x 50 ms
# before its read-back.
cat >/tmp/prices.json <<'JSON'
{"rows": [{"row": 1, "price": "45.67", "grade": "95", "caption1": true, "caption2": false},
 {"row": 2, "price": "45.68", "grade": "95", "caption1": true, "caption2": false},
 {"row": 3, "price": "45.69", "grade": "95", "caption1": true, "caption2": false},
 {"row": 4, "price": "45.70", "grade": "95", "caption1": true, "caption2": false},
 {"row": 5, "price": "45.71", "grade": "95", "caption1": true, "caption2": false}]}
JSON
start_pty_sign
# timed FLOOR_MS LABEL ARGS...
timed() {
    floor=$1 label=$2
    shift 2
    start=$(now_ms)
    stela-cli "$@" >/dev/null 2>&1
    status=$?
    took=$(( $(now_ms) - start ))
    expect "$label: exit status" 0 $status
    figure "$label: $took ms, $(( took * 100 / floor ))% of the protocol's $floor ms"
}
for device in "$PTY_SIGN" /dev/ttyS1 /dev/ttyUSB0; do
    for run in 1 2; do
        timed 1000 "read on $device ($run)" read --port "$device"
        timed 1500 "write and read-back on $device ($run)" write --port "$device" --file /tmp/prices.json
    done
done
stop_pty_sign
