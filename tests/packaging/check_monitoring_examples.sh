#!/usr/bin/env bash
# The monitoring examples stela-cli ships (packaging/examples), each checked by
# the tool that will read it, and the command lines in them run against a
# simulated sign: Icinga 2 takes its configuration (each station's service on
# its own agent, with the station's port); promtool the alert rules, their
# behaviour and the metrics a check writes; systemd the units, the user and
# the folders; NRPE's command answers within check_nrpe's default 10 s.
#   check_monitoring_examples.sh SOURCE_DIR BIN_DIR
set -euo pipefail
examples=$1/packaging/examples
tests=$1/tests/packaging
bin=$2
work=$(mktemp -d)
sim=
trap '[[ -n $sim ]] && kill "$sim"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
"$1/scripts/require-tools" icinga2 promtool systemd-analyze systemd-sysusers systemd-tmpfiles \
    timeout || exit 1
# quietly COMMAND...: COMMAND succeeds and says nothing.
quietly() { local said; said=$("$@" 2>&1) && [[ -z $said ]] || fail "$1: $said"; }
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state

# Icinga 2: a master and two stations' agents, each station the Host the
# example's comment shows.
icinga=$work/icinga
mkdir -p "$icinga/zones.d/master" "$icinga/zones.d/global-templates" "$icinga/cache"
cp "$examples/icinga2-stela.conf" "$icinga/zones.d/global-templates/"
host=$(sed -n 's|^//   ||; /^object Host/,/^}/p' "$examples/icinga2-stela.conf")
{
    echo "$host"
    echo "$host" | sed 's/station-017/station-018/; s|/dev/stela-sign|/dev/ttyUSB1|'
} >"$icinga/zones.d/master/hosts.conf"
cat >"$icinga/icinga2.conf" <<CONF
const NodeName = "master"
const ZoneName = "master"
const PluginDir = "/usr/lib/nagios/plugins"
include <itl>
include <plugins>
object Endpoint "master" { }
object Zone "master" { endpoints = [ "master" ] }
object Zone "global-templates" { global = true }
for (station in [ "station-017", "station-018" ]) {
  object Endpoint station { }
  object Zone station { endpoints = [ name ]; parent = "master" }
}
include_zones "stations", "$icinga/zones.d"
CONF
icinga=(env ICINGA2_USER="$(id -un)" ICINGA2_GROUP="$(id -gn)" icinga2)
"${icinga[@]}" daemon -C -c "$work/icinga/icinga2.conf" -DConfiguration.CacheDir="$work/icinga/cache" \
    >"$work/icinga.log" 2>&1 || { cat "$work/icinga.log" >&2; fail "icinga2 daemon -C"; }
# Each service runs on its station's agent and sets no variable of its own.
services=$("${icinga[@]}" object list --type Service -DConfiguration.CacheDir="$work/icinga/cache" |
    awk -F"'" '/^Object /{name=$2} /^  \* command_endpoint = /{endpoint=$0}
               /^  \* vars = /{print name, endpoint, $0}' | sed 's/  \* [a-z_]* = //g' | sort)
expected=$(printf '%s\n' 'station-017!price sign "station-017" null' \
    'station-018!price sign "station-018" null')
[[ $services == "$expected" ]] || fail "icinga2's services: $services"

# Prometheus: the rules, and how they fire (their annotations, which promtool
# would compare whole, left out).
promtool check rules "$examples/prometheus-stela-rules.yml" >/dev/null || fail "promtool check rules"
awk '/^        annotations:/ { skip = 1; next } /^      - / { skip = 0 } !skip' \
    "$examples/prometheus-stela-rules.yml" >"$work/prometheus-stela-rules.yml"
cp "$tests/prometheus-stela-rules-test.yml" "$work/"
(cd "$work" && promtool test rules prometheus-stela-rules-test.yml >"$work/rules.log" 2>&1) ||
    { cat "$work/rules.log" >&2; fail "promtool test rules"; }

# The NRPE and service command lines, on this build against a silent simulated
# sign: CRITICAL, NRPE's within check_nrpe's 10 s, the service's file with
# every series.
"$bin/stela-sim" --quiet --fault silence >"$work/sim.out" &
sim=$!
for _ in $(seq 50); do [[ -s $work/sim.out ]] && break || sleep 0.1; done
device=$(head -n 1 "$work/sim.out")
printf 'row,price\n1,45.67\n2,12.34\n' >"$work/prices.csv"
run() {  # COMMAND_LINE NAME
    local line status=0 started
    line=$(sed "s|/usr/bin/stela-cli|$bin/stela-cli|; s|/dev/stela-sign|$device|;
                s|/etc/stela/prices.json|$work/prices.csv|;
                s|/var/lib/prometheus/node-exporter|$work|" <<<"$1")
    started=$(date +%s%N)
    answer=$(timeout -s KILL 60 $line) || status=$?
    took=$((($(date +%s%N) - started) / 1000000))
    [[ $status == 2 && $answer == "STELA CRITICAL - no half of the sign answered"* ]] ||
        fail "$2 on a silent sign: $status $answer"
}
run "$(sed -n 's/^command\[check_stela\]=//p' "$examples/nrpe-stela.cfg")" "NRPE's command"
((took < 10000)) || fail "NRPE's command took $took ms"
nrpe=$took
run "$(sed -n '/^ExecStart=/,/[^\\]$/{s/^ExecStart=//; s/\\$//; p}' "$examples/stela-check.service" |
    paste -sd ' ')" "the service's command"
promtool check metrics <"$work/stela.prom" || fail "promtool check metrics: the service's file"
labels='station="'"$(hostname)"'",port="'"$device"'"'
for series in "stela_sign_up{$labels} 0" "stela_sign_row_ok{$labels,row=\"2\"} 0"; do
    grep -qxF "$series" "$work/stela.prom" || fail "the service's file lacks $series"
done

# systemd: the units in a root with stela-cli installed, the user and folders made there.
root=$work/root
mkdir -p "$root/usr/bin" "$root/usr/lib/systemd" "$root/etc/systemd/system" \
    "$root/etc/sysusers.d" "$root/etc/tmpfiles.d" "$root/var/lib/prometheus/node-exporter"
cp -r /lib/systemd/system "$root/usr/lib/systemd/"
cp "$bin/stela-cli" "$root/usr/bin/"
cp "$examples/stela-check.service" "$examples/stela-check.timer" "$root/etc/systemd/system/"
cp "$examples/sysusers-stela.conf" "$root/etc/sysusers.d/stela.conf"
cp "$examples/tmpfiles-stela.conf" "$root/etc/tmpfiles.d/stela.conf"
echo "dialout:x:20:" >"$root/etc/group"
quietly systemd-analyze verify --man=no --root="$root" stela-check.service stela-check.timer
said=$(systemd-sysusers --root="$root" "$root/etc/sysusers.d/stela.conf" 2>&1) ||
    fail "systemd-sysusers: $said"
IFS=: read -r _ _ uid gid _ home shell < <(grep '^stela:' "$root/etc/passwd") ||
    fail "sysusers made no user stela"
[[ $home == /var/lib/stela && $shell == */nologin ]] || fail "stela's home $home, shell $shell"
grep -q '^dialout:x:20:stela$' "$root/etc/group" || fail "stela is not in dialout"
quietly systemd-tmpfiles --create --root="$root" "$root/etc/tmpfiles.d/stela.conf"
[[ $(stat -c '%u:%g %a' "$root/var/lib/stela") == "$uid:$gid 750" ]] || fail "/var/lib/stela"
[[ $(stat -c '%g %a' "$root/var/lib/prometheus/node-exporter") == "$gid 775" ]] ||
    fail "the textfile folder is not the group stela's to write"

echo "monitoring examples ok (NRPE's command on a silent sign: $nrpe ms)"
