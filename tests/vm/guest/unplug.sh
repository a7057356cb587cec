# Scenarios 5 and 6: the FTDI adapter is pulled (a) while stela-cli waits for a
# reply that does not come, the port idle, (b) during a read, (c) during a write
# between the two halves of row 3, (d) during a write between rows 4 and 3. The
# host's sign stays silent where the moment must last (see run-scenario). Each
# time stela-cli ends within 1 s with exit 3 and the plain words, leaves nothing
# behind, and the re-plugged adapter comes back as ttyUSB0, where the search finds
# the sign again.
cat >/tmp/prices.json <<'JSON'
{"rows": [
  {"row": 1, "price": "11.11", "grade": "92", "caption1": false, "caption2": false},
  {"row": 2, "price": "22.22", "grade": "92", "caption1": false, "caption2": false},
  {"row": 3, "price": "33.33", "grade": "92", "caption1": false, "caption2": false},
  {"row": 4, "price": "44.44", "grade": "92", "caption1": false, "caption2": false},
  {"row": 5, "price": "55.55", "grade": "92", "caption1": false, "caption2": false}
]}
JSON
lost="The connection to /dev/ttyUSB0 is lost: the adapter was unplugged or the device went away."
said_ok() { # CASE LINE...: each line is among stela-cli's words
    case=$1; shift
    for line in "$@"; do
        grep -qF "$line" /tmp/$case.err || { fail "$case: not said: $line; said: $(cat /tmp/$case.err)"; return; }
    done
    pass "$case: the words"
}

# pull CASE FRAME COUNT ARGS...: runs stela-cli ARGS on the adapter and has the host
# pull it once its sign has heard COUNT more frames matching FRAME.
pull() {
    case=$1 frame=$2 count=$3
    shift 3
    stela-cli "$@" --port /dev/ttyUSB0 >/tmp/$case.out 2>/tmp/$case.err &
    pid=$!
    ask unplug "$frame" "$count" >/dev/null
    wait $pid
    status=$?
    since=$(ask since-pull)
    expect "$case: exit status" 3 $status
    [ "$since" -le 1000 ] && pass "$case: ended ${since} ms after the pull" ||
        fail "$case: ended ${since} ms after the pull"
    figure "$case: stela-cli ended ${since} ms after the pull"
    said_ok "$case" "$lost"
    [ -z "$(pidof stela-cli)" ] && pass "$case: no stela-cli left" || fail "$case: stela-cli still runs"
    [ -z "$(ls /var/lock)" ] && pass "$case: no lock left" || fail "$case: left $(ls /var/lock)"
    ask replug >/dev/null
    if wait_for /dev/ttyUSB0 present 10; then pass "$case: back as ttyUSB0"; else
        fail "$case: not back as ttyUSB0: $(ls /dev/ttyUSB*)"; fi
}

pull idle 'R4E' 2 read
pull read 'R2E' 1 read
pull write-halves 'W:.*' 1 write --file /tmp/prices.json
said_ok write-halves "Rows written and confirmed: 5, 4." \
    "Row 3 may show two different prices: its first half confirmed, its second sent but not confirmed." \
    "Rows not written: 2, 1 (the sign shows the old prices)."
pull write-rows 'W2.*' 1 write --file /tmp/prices.json
said_ok write-rows "Rows written and confirmed: 5, 4." \
    "Row 3 may show two different prices: its first half sent but not confirmed, its second not sent." \
    "Rows not written: 2, 1 (the sign shows the old prices)."

expect "the search finds the sign on the re-plugged adapter" COM33 "$(stela-cli search 2>&1)"
