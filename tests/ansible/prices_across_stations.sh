#!/usr/bin/env bash
# The collection stela.sign under a real ansible-playbook: three stela-sims on
# pseudo-terminals are three stations (aliases of localhost, connection local,
# each with its own port), set by the collection's playbook stela.sign.prices,
# which the guide (docs/ansible.md) shows.
#   prices_across_stations.sh STELA_CLI STELA_SIM COLLECTIONS_PATH GUIDE
set -uo pipefail
"$(dirname "$0")/../../scripts/require-tools" ansible-playbook || exit 1
cli=$(realpath "$1")
sim=$(realpath "$2")
collections=$(realpath "$3")
guide=$4

work=$(mktemp -d)
declare -A ports pids
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" && wait "$pid"; done 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# Ansible, stela-cli and the stela-sims keep to the work directory; HOME is there
# too, and must stay empty.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
export ANSIBLE_CONFIG=$work/ansible.cfg PYTHONDONTWRITEBYTECODE=1
# ansible-core stops at a locale that is not generated (LANG=ru_RU.UTF-8 on a bare system).
export LC_ALL=C.UTF-8
mkdir -p "$HOME"
cat >"$ANSIBLE_CONFIG" <<EOF
[defaults]
home = $work/ansible
local_tmp = $work/ansible/tmp
remote_tmp = $work/ansible/tmp
collections_path = $collections
collections_scan_sys_path = false
retry_files_enabled = false
nocows = true
EOF

# start_sign NAME [OPTION]...: a stela-sim whose frame log is $work/NAME.log.
start_sign() {
    local name=$1
    shift
    "$sim" "$@" >"$work/$name.log" 2>&1 &
    pids[$name]=$!
    until [[ -s $work/$name.log ]]; do sleep 0.05; done
    ports[$name]=$(head -n 1 "$work/$name.log")
}
for name in a b c; do start_sign "$name"; done
start_sign silent --fault silence
# Row 1 shows two prices, the region's 56.49 on its second half (the row's price as
# read) and 12.34 on its first, which does not hear writes; c's other rows are the region's.
start_sign split --set 4=123421 --set 12=564921 --set 3=612030 --set 11=612030 \
    --set 1=729050 --set 9=729050 --fault silence,frames=write,address=4
# Row 4's first half does not confirm writes, and the sign goes away meanwhile.
start_sign cut --fault silence,frames=write,address=1

# inventory FILE [STATION=SIGN]...: the stations a, b, c on the signs named (their own by
# default); b sells 98 on row 4 in place of the region's diesel.
inventory() {
    local file=$1 a=a b=b c=c
    shift
    local "$@" file=$file
    cat >"$file" <<EOF
stations:
  vars:
    ansible_connection: local
    ansible_python_interpreter: "{{ ansible_playbook_python }}"
    stela_cli: $cli
    region_prices:
      - {row: 1, price: "56.49", grade: "92", caption1: true, caption2: false}
      - {row: 2, price: 61.2, grade: 95}
      - {row: 4, price: "72.90", grade: DT}
  hosts:
    station-a: {stela_port: "${ports[$a]}"}
    station-b:
      stela_port: "${ports[$b]}"
      station_prices: [{row: 4, price: "79.10", grade: "98"}]
    station-c: {stela_port: "${ports[$c]}"}
EOF
}
inventory "$work/stations.yml"
inventory "$work/one-silent.yml" b=silent
inventory "$work/one-split.yml" c=split
inventory "$work/one-cut.yml" c=cut

# playbook NAME INVENTORY [OPTION]...: stela.sign.prices, its output in $work/NAME.out.
playbook() {
    local name=$1 inventory=$2
    shift 2
    ansible-playbook -i "$work/$inventory.yml" -e stela_report="$work/$name.csv" "$@" \
        stela.sign.prices >"$work/$name.out" 2>&1
}
# Each station's ok, changed and failed tasks from the last run's recap.
recap() {
    sed -n 's/^\(station-.\) *: ok=\([0-9]*\) *changed=\([0-9]*\) .*failed=\([0-9]*\).*/\1 \2 \3 \4/p' \
        "$work/$1.out" | paste -sd ' '
}
# The different write frames each sign has heard: "a=10 b=10 c=10 " once every
# half has been written (a frame goes out twice or more, as confirmations come).
writes() {
    local name
    for name in a b c; do
        printf '%s=%s ' "$name" "$(sed -n 's/.* rx \(W.*\)/\1/p' "$work/$name.log" | sort -u | wc -l)"
    done
}
# Every write frame heard so far, copies and retries counted.
all_writes() {
    cat "$work"/{a,b,c}.log | grep -c ' rx W'
}
# failure RUN STATION KEY...: those members of the station's failed task, strings
# by their first line: "true | [1] | stela-cli write: ...".
failure() {
    local run=$1 station=$2
    shift 2
    sed -n "s/^fatal: \[$station\]: FAILED! => //p" "$work/$run.out" | python3 -c '
import json, sys
result = json.load(sys.stdin)
values = (result.get(key) for key in sys.argv[1:])
print(*(v.splitlines()[0] if isinstance(v, str) else json.dumps(v) for v in values), sep=" | ")
' "$@"
}
# expect WHAT WANTED GOT RUN: a mismatch shows the run's output.
expect() {
    if [[ $2 != "$3" ]]; then
        fail "$1: wanted '$2', got '$3'"
        sed 's/^/    /' "$work/$4.out" >&2
    fi
}

# Check mode: all three would change, --diff shows how, and no sign hears a write.
playbook check stations --check --diff
expect "check mode" "station-a 2 1 0 station-b 2 1 0 station-c 2 1 0" "$(recap check)" check
expect "check mode: write frames heard" "a=0 b=0 c=0 " "$(writes)" check
expect "check mode: the diffs of row 4 (b has its own)" "2 1" \
    "$(grep -c '^+row 4: 72.90, grade ДТ, caption1 no, caption2 no$' "$work/check.out") $(
        grep -c '^+row 4: 79.10, grade 98, caption1 no, caption2 no$' "$work/check.out")" check

playbook first stations
expect "first run" "station-a 2 1 0 station-b 2 1 0 station-c 2 1 0" "$(recap first)" first
expect "first run: write frames heard" "a=10 b=10 c=10 " "$(writes)" first
expect "first run: the report" "station,row,valid,price,grade,caption1,caption2,note
station-a,1,1,56.49,92,1,0,
station-a,2,1,61.20,95,0,0,
station-a,3,1,unused,80,0,0,
station-a,4,1,72.90,ДТ,0,0,
station-a,5,1,unused,80,0,0,
station-b,1,1,56.49,92,1,0,
station-b,2,1,61.20,95,0,0,
station-b,3,1,unused,80,0,0,
station-b,4,1,79.10,98,0,0,
station-b,5,1,unused,80,0,0,
station-c,1,1,56.49,92,1,0,
station-c,2,1,61.20,95,0,0,
station-c,3,1,unused,80,0,0,
station-c,4,1,72.90,ДТ,0,0,
station-c,5,1,unused,80,0,0," "$(cat "$work/first.csv")" first

written=$(all_writes)
playbook again stations
expect "second run" "station-a 2 0 0 station-b 2 0 0 station-c 2 0 0" "$(recap again)" again
expect "second run: write frames heard" "$written" "$(all_writes)" again

# b's sign is silent: b fails, a and c get the new row 1 all the same.
playbook silent one-silent -e '{"station_prices": [{"row": 1, "price": "57.10"}]}'
expect "a silent sign" "station-a 2 1 0 station-b 0 0 1 station-c 2 1 0" "$(recap silent)" silent
expect "a silent sign: write frames heard" "a=12 b=10 c=12 " "$(writes)" silent
expect "a silent sign: its failure" "false | stela-cli read: the sign on ${ports[silent]} does not answer" \
    "$(failure silent station-b changed msg)" silent
expect "a silent sign: the report" \
    "station-a,1,1,57.10,92,1,0,|station-b,,,,,,,not read: see the run's failed tasks|station-c,1,1,57.10,92,1,0," \
    "$(grep '^station-.,1,\|not read' "$work/silent.csv" | paste -sd '|')" silent

# c's row 1 shows two prices: it is not taken as showing the region's; its write is
# not confirmed, and the failed task says the sign changed and names the row.
playbook split one-split --limit station-c
expect "a row with two prices" "station-c 0 0 1" "$(recap split)" split
expect "a row with two prices: the failure" \
    "true | [1] | stela-cli write: the sign did not confirm, a half failed, or a row's halves differ" \
    "$(failure split station-c changed may_show_two_prices msg)" split

# c's sign goes away while row 4's first half waits for its confirmation: the task
# says the sign changed and names row 4, whose second half still holds the old price.
playbook cut one-cut --limit station-c &
runner=$!
for ((i = 0; i < 600; i++)); do
    grep -q ' rx W1' "$work/cut.log" && break
    sleep 0.05
done
kill "${pids[cut]}"
wait "$runner"
expect "a sign gone mid-write" "station-c 0 0 1" "$(recap cut)" cut
expect "a sign gone mid-write: the failure" \
    "true | [4] | null | stela-cli write: no sign found, or a port error" \
    "$(failure cut station-c changed may_show_two_prices rows msg)" cut

# A price that does not fit fails every station before a frame is sent.
frames=$(wc -l "$work"/{a,b,c}.log)
playbook bad stations -e '{"station_prices": [{"row": 1, "price": "123.45"}]}'
expect "a bad price" "station-a 0 0 1 station-b 0 0 1 station-c 0 0 1" "$(recap bad)" bad
expect "a bad price: frames heard" "$frames" "$(wc -l "$work"/{a,b,c}.log)" bad
expect "a bad price: the failure" \
    'false | row 1 price: "123.45" does not fit 99.99 (give 0.00 to 99.99, or unused)' \
    "$(failure bad station-a changed msg)" bad

# Rows that Ansible's own types would take for row 1 fail before stela-cli runs.
for args in '{"rows": [{"row": true, "price": "45.67"}]}|row: true' '{"rows": "row=1"}|row: "1"'; do
    ansible localhost -c local -m stela.sign.stela_prices -a "${args%%|*}" >"$work/args.out" 2>&1
    expect "rows $(cut -d'|' -f1 <<<"$args"): the failure" \
        "${args#*|} is no row number (give rows as a list, each with row: 1 to 5)" \
        "$(python3 -c '
import json, sys
print(json.loads(open(sys.argv[1]).read().split("FAILED! => ", 1)[1])["msg"])' "$work/args.out")" args
done

playbook=$collections/ansible_collections/stela/sign/playbooks/prices.yml
python3 -c 'import sys; sys.exit(open(sys.argv[1]).read() not in open(sys.argv[2]).read())' \
    "$playbook" "$guide" || fail "the guide does not show $playbook as it stands"
expect "nothing in HOME" "" "$(ls -A "$HOME")" bad
expect "nothing written into the collection" "" "$(find "$collections" -name __pycache__)" bad
exit "$failed"
