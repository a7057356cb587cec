#!/usr/bin/env bash
# stela.exe as a Windows user meets it: unpacked from the zip, started under Wine
# on a virtual display (Xvfb) against stela-sim on a pseudo-terminal that a
# throwaway Wine prefix maps as COM3. The start-up search finds the sign on COM3;
# "Прочитать" shows every half's price in green; a price typed into row 1 and
# "Записать" reach the sign, are confirmed and read back in green. With a third
# argument, the window after that is saved there as a PNG.
#   stela_exe_end_to_end.sh stela-<version>-windows-x86_64.zip linux-stela-sim [picture.png]
# Wine sees no serial device of this machine: the test runs in a mount namespace
# of its own with /dev/null over every /dev/ttyS*, ttyUSB* and ttyACM*, which
# Wine would otherwise map as COM1.. for the search to probe.
set -euo pipefail
zip=$1 sim=$2 picture=${3:+$(realpath -m "$3")}

if [[ ${STELA_E2E_INSIDE:-} != 1 ]]; then
    [[ -x $sim ]] || { echo "no Linux stela-sim given: skipped"; exit 77; }
    "$(dirname "$0")/../../scripts/require-tools" wine wineboot wineserver xvfb-run xdotool \
        import convert || exit 1
    unshare=(unshare --mount --propagation private)
    [[ $(id -u) -eq 0 ]] || unshare+=(--map-root-user)
    "${unshare[@]}" true 2>/dev/null || { echo "needs a mount namespace of its own: skipped"; exit 77; }
    exec env STELA_E2E_INSIDE=1 "${unshare[@]}" bash -c '
        for dev in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
            [[ -e $dev ]] && mount --bind /dev/null "$dev"
        done
        exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"' bash "$0" "$zip" "$sim" "$picture"
fi

work=$(mktemp -d)
sim_pid=
cleanup() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
# The window speaks its own language (LANG=C: no catalogue); Wine writes no menu
# entries or icons into the caller's home.
export LANG=C WINEDEBUG=-all WINEPREFIX=$work/prefix WINEDLLOVERRIDES=winemenubuilder.exe=d
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset LC_ALL LC_MESSAGES LANGUAGE XDG_STATE_HOME
fail() {
    echo "FAILED: $1" >&2
    [[ -f $work/sign ]] && tail -n 20 "$work/sign" >&2
    exit 1
}

cmake -E chdir "$work" cmake -E tar xf "$(realpath "$zip")"
exe=$(ls "$work"/stela-*-windows-x86_64/stela.exe)
# A server that outlives wineboot keeps a desktop without a display: wait for it
# to end, so that the window's own server starts on this display.
wineboot -i >/dev/null 2>&1
wineserver -w

# Every half holds a price at first: 52.99 (rows 1 to 5 from panel 4 down).
: >"$work/sign"
"$sim" --com 3 --set all=529910 >>"$work/sign" 2>/dev/null &
sim_pid=$!
until [[ $(wc -l <"$work/sign") -ge 1 ]]; do sleep 0.05; done
ln -sfn "$(head -1 "$work/sign")" "$WINEPREFIX/dosdevices/com3"

# (In a subshell: the shell does not report it killed at the end.)
(wine "$exe" >/dev/null 2>&1 &)
# windows: the visible windows of stela.exe, each as "ID WIDTHxHEIGHT".
windows() {
    local id
    for id in $(xdotool search --onlyvisible --class 'stela.exe' 2>/dev/null); do
        echo "$id $(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')"
    done
}
# wait_for WHAT COMMAND...: runs COMMAND until it succeeds, for up to 60 s.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 600); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
}

# The start-up search's notice comes before the window; Enter closes it.
notice_up() { [[ -n $(windows) ]] && ! windows | grep -q ' 881x376$'; }
wait_for "no notice after the start-up search" notice_up
notice=$(windows | head -1 | cut -d' ' -f1)
sleep 0.5
xdotool windowfocus --sync "$notice" key Return
main_up() { main=$(windows | grep ' 881x376$' | cut -d' ' -f1) && [[ -n $main ]]; }
wait_for "the main window did not come up after the notice" main_up
grep -q 'rx R0E' "$work/sign" || fail "the start-up search sent the sign nothing"

# pixels X Y COLOUR: how many pixels of the label at X,Y are about COLOUR.
pixels() {
    convert "$work/window.png" -crop "73x26+$1+$2" +repage -fuzz 25% -fill black +opaque "$3" \
        -fill white -opaque "$3" -format '%[fx:round(mean*w*h)]' info:
}
# label_colours: the ten read-back labels (their places in the window), one
# word each: green, red or mixed, by the pure green and red pixels of their text.
label_colours() {
    import -window "$main" "$work/window.png"
    local x y
    for x in 640 760; do
        for y in 31 72 112 152 191; do
            local green red
            green=$(pixels "$x" "$y" '#00ff00') red=$(pixels "$x" "$y" '#ff0000')
            if ((green > 0 && red == 0)); then echo green; elif ((red > 0 && green == 0)); then
                echo red; else echo mixed; fi
        done
    done
}
all_green() { [[ $(label_colours | sort -u) == green ]]; }
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }

[[ $(label_colours | sort -u) == red ]] || fail "the read-back labels are not all red at start"
click 68 60  # "Прочитать"
wait_for "after «Прочитать» not every half is green: $(label_colours | tr '\n' ' ')" all_green

# Row 1's price becomes 12.34; "Записать" writes every row and reads them back.
click 556 41
xdotool key Home type 1234
cp "$work/sign" "$work/sign.before-write"
click 72 172  # "Записать"
written() { grep -q 'rx W41234' "$work/sign" && grep -q 'rx W<1234' "$work/sign"; }
wait_for "the sign heard no write of 12.34 to both halves of row 1" written
read_back() { [[ $(grep -c 'rx R<' "$work/sign") -gt $(grep -c 'rx R<' "$work/sign.before-write") ]]; }
wait_for "no read-back after «Записать»" read_back
wait_for "after «Записать» not every half is green: $(label_colours | tr '\n' ' ')" all_green
journal=("$WINEPREFIX"/drive_c/users/*/AppData/Local/stela/journal/*.log)
[[ $(grep -c ' COM3 stela write reply .*WOK' "${journal[@]}") -ge 10 ]] ||
    fail "the journal under %LOCALAPPDATA% does not show ten confirmed halves"

if [[ -n $picture ]]; then
    cp "$work/window.png" "$picture"
    echo "$picture"
fi
echo "stela.exe found the sign on COM3, read it and wrote 12.34 to row 1, all confirmed"
