# Scenario 1: read, write (a JSON file), brightness and effect through stela-cli
# on the 16550A, the FTDI adapter and a pseudo-terminal: the same output, and the
# same frames heard by each sign (retries aside).
cat >/tmp/prices.json <<'JSON'
{"rows": [
  {"row": 1, "price": "45.67", "grade": "95", "caption1": true, "caption2": false},
  {"row": 2, "price": "05.10", "grade": "ДТ", "caption1": false, "caption2": true},
  {"row": 3, "price": "--.--", "grade": "80", "caption1": false, "caption2": false},
  {"row": 4, "price": "99.99", "grade": "none", "caption1": true, "caption2": true},
  {"row": 5, "price": "00.01", "grade": "98", "caption1": false, "caption2": false}
]}
JSON
start_pty_sign
for device in "$PTY_SIGN" /dev/ttyS1 /dev/ttyUSB0; do
    name=${device##*/}
    {
        stela-cli write --port "$device" --file /tmp/prices.json --format json; echo "exit $?"
        stela-cli read --port "$device" --format csv; echo "exit $?"
        stela-cli brightness 7 --port "$device"; echo "exit $?"
        stela-cli brightness auto --port "$device"; echo "exit $?"
        stela-cli effect 3 --port "$device"; echo "exit $?"
    } 2>&1 | sed "s|$device|PORT|" >/tmp/$name.out
done
stop_pty_sign
pty=${PTY_SIGN##*/}
expect "every command confirmed on the pseudo-terminal" 5 "$(grep -c '^exit 0$' /tmp/$pty.out)"
grep -q '^row,4,,,,99.99,none,1,1,1$' /tmp/$pty.out && pass "the sign holds what was written" ||
    fail "the sign does not hold what was written: $(tr '\n' ' ' </tmp/$pty.out)"
frames() { sed -n 's/.*\] rx \([^ ]*\).*/\1/p' "$1" | uniq | tr '\n' ' '; }
pty_frames=$(frames /tmp/pty-sign.log)
for device in ttyS1 ttyUSB0; do
    if cmp -s /tmp/$pty.out /tmp/$device.out; then
        pass "$device: the same results as on a pseudo-terminal"
    else
        fail "$device: results differ from a pseudo-terminal's: $(diff /tmp/$pty.out /tmp/$device.out | tr '\n' ' ')"
    fi
    heard=$(ask frames "$device" | tr ' ' '\n' | uniq | tr '\n' ' ')
    expect "$device: the sign heard the frames a pseudo-terminal's did" "$pty_frames" "$heard"
done
