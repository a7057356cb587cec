#!/usr/bin/env bash
# stela-cli.exe on a Russian Windows, which Wine becomes with ru_RU.UTF-8
# (generated here; ANSI code page 1251, console 866, UI language 0419): the
# bytes of --help on a console, in a file and in a pipe with LANG set and
# unset; Cyrillic arguments and paths; prices files in UTF-16 with and without
# their byte-order mark; an FTDI adapter's port in `ports`.
#   russian_windows.sh stela-cli.exe add_port_device.exe
set -euo pipefail
exe=$(realpath "$1") add_port_device=$2
"$(dirname "$0")/../../scripts/require-tools" wine wineserver wineboot localedef script iconv \
    python3 || exit 1
[[ -e /usr/share/i18n/locales/ru_RU ]] || { echo "FAILED: locales missing (scripts/deps)" >&2; exit 1; }

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
mkdir -p "$work/locale" "$work/prefix"
localedef -i ru_RU -f UTF-8 "$work/locale/ru_RU.UTF-8"
unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE
export LOCPATH=$work/locale
{ export LANG=ru_RU.UTF-8 WINEDEBUG=-all WINEPREFIX=$work/prefix; } 2>/dev/null  # bash has no such locale
wineserver -p >/dev/null 2>&1
wineboot -i >/dev/null 2>&1

failed=0
expect() {  # expect WHAT EXPECTED ACTUAL
    [[ $2 == "$3" ]] && return
    echo "FAILED: $1" >&2
    diff -u <(printf '%s\n' "$2" | od -c) <(printf '%s\n' "$3" | od -c) >&2 || true
    failed=1
}
# cli ENV ARGS...: stela-cli.exe through cmd, with ENV ("set LANG=& ": none,
# as on Windows) set before it; the build's path has no blanks.
cli() { wine cmd /c "$1$exe ${*:2}"; }
# The first line that reached a console: Wine's console on a pseudo-terminal
# shows it there in the locale's UTF-8, its cursor controls aside.
on_console() {
    script -qec "wine cmd /c \"$1$exe --help\"" /dev/null |
        sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r' | sed -n 1p
}

usage='Использование: stela-cli КОМАНДА [ПАРАМЕТР]...'
cp1251=$(iconv -f UTF-8 -t CP1251 <<<"$usage")
# (where, LANG) -> the bytes: a console shows every character; a file or pipe
# takes the ANSI code page unless LANG names a charset.
for case in "console||$usage" "console|set LANG=& |$usage" \
    "file||$usage" "file|set LANG=& |$cp1251" "file|set LANG=ru_RU& |$cp1251" \
    "pipe||$usage" "pipe|set LANG=& |$cp1251"; do
    IFS='|' read -r where env expected <<<"$case"
    case $where in
        console) got=$(on_console "$env") ;;
        file) cli "$env" --help >"$work/help" && got=$(sed -n 1p "$work/help" | tr -d '\r') ;;
        pipe) got=$(cli "$env" --help | sed -n 1p | tr -d '\r') ;;
    esac
    expect "--help on a $where with '${env:-LANG=ru_RU.UTF-8}'" "$expected" "$got"
done

# The same ten frames from Cyrillic arguments, from paths in Cyrillic and
# beyond the ANSI code page (Ω), and from UTF-16 with its mark and without
# (named), LANG set or not.
frames=$(printf '%s\n' W0555513E20 W8555513E28 W1444450E26 W9444450E2E W2333342E26 \
    W:333342E2E W3222231E23 'W;222231E2B' W4111120E24 'W<111120E2C')
rows=$'row;price;grade;caption1;caption2\r\n1;11,11;92;ЛОЖЬ;ЛОЖЬ\r\n2;22,22;95;ИСТИНА;ЛОЖЬ\r\n'
rows+=$'3;33,33;98;ЛОЖЬ;ИСТИНА\r\n4;44,44;ДТ;ЛОЖЬ;ЛОЖЬ\r\n5;55,55;80;ИСТИНА;ИСТИНА\r\n'
mkdir -p "$WINEPREFIX/drive_c/Цены"
printf '%s' "$rows" >"$WINEPREFIX/drive_c/Цены/сегодня.csv"
{ printf '\xFF\xFE'; printf '%s' "${rows//;/$'\t'}" | iconv -f UTF-8 -t UTF-16LE; } \
    >"$WINEPREFIX/drive_c/Цены/Ω.txt"
printf '%s' "$rows" | iconv -f UTF-8 -t UTF-16LE >"$WINEPREFIX/drive_c/Цены/nomark.csv"
for args in "-r 1=11.11,grade=92,caption1=нет,caption2=нет -r 2=22.22,grade=95,caption1=да,caption2=нет \
-r 3=33.33,grade=98,caption1=нет,caption2=да -r 4=44.44,grade=ДТ,caption1=нет,caption2=нет \
-r 5=55.55,grade=80,caption1=да,caption2=да" \
    "--file C:\\Цены\\сегодня.csv --log C:\\Цены\\журнал.txt" "--file C:\\Цены\\Ω.txt" \
    "--file C:\\Цены\\nomark.csv --encoding UTF-16"; do
    for env in "" "set LANG=& "; do
        expect "write -n $args ($env)" "$frames" "$(cli "$env" write -n -p COM3 "$args" | tr -d '\r')"
    done
done
# Standard input byte for byte: UTF-16 holds 0x1A (К), a text mode's end of file.
json='{"port": "Касса", "rows": [
 {"row": 1, "price": "11.11", "grade": "92", "caption1": false, "caption2": false},
 {"row": 2, "price": "22.22", "grade": "95", "caption1": true, "caption2": false},
 {"row": 3, "price": "33.33", "grade": "98", "caption1": false, "caption2": true},
 {"row": 4, "price": "44.44", "grade": "ДТ", "caption1": false, "caption2": false},
 {"row": 5, "price": "55.55", "grade": "80", "caption1": true, "caption2": true}]}'
expect "write -n --file - in UTF-16" "$frames" \
    "$({ printf '\xFF\xFE'; iconv -f UTF-8 -t UTF-16LE <<<"$json"; } |
        cli "" write -n -p COM3 --file - | tr -d '\r')"
[[ -e $WINEPREFIX/drive_c/Цены/журнал.txt ]] || { echo "FAILED: no C:\\Цены\\журнал.txt" >&2; failed=1; }
# A path is named as typed, in the file's charset.
expect "a missing Cyrillic path" \
    "$(iconv -f UTF-8 -t CP1251 <<<'stela-cli: --file C:\Цены\нет.csv: No such file or directory')" \
    "$(cli "set LANG=& " write -p COM3 --file 'C:\Цены\нет.csv' 2>&1 | sed -n 1p | tr -d '\r')"
# A port error: the described text and number, then Windows' own words for
# the number in the run's language, then the advice.
for case in "set LANG=& |CP1251|COM9: Не удалось открыть COM-порт (код ошибки: 2)|Windows: Файл не найден. Устройства COM9 нет: адаптер не подключён или" \
    "set LANG=en_US& |ASCII|COM9: Unable to open com port (win error code: 2)|Windows: File not found. There is no device COM9: the adapter"; do
    IFS='|' read -r env charset message words <<<"$case"
    expect "read -p COM9 with '$env'" "$(iconv -f UTF-8 -t "$charset" <<<"stela-cli: $message"$'\n'"$words")" \
        "$(cli "$env" read -p COM9 2>&1 | tr -d '\r' | cut -d' ' -f1-11 | sed -n 1,2p)"
done
# A device is named as Windows names it, and left as it is.
printf 'row;price\r\n1;11,11\r\n' >"$WINEPREFIX/drive_c/Цены/один.csv"
expect "check --output NUL" "$(iconv -f UTF-8 -t CP1251 <<<'STELA UNKNOWN - --output NUL: не файл, а устройство; оставлено как есть; табло:')" \
    "$(cli "set LANG=& " check -p COM9 --file 'C:\Цены\один.csv' --format prometheus --output NUL | tr -d '\r' | cut -d' ' -f1-13)"
# An FTDI adapter's port as its driver registers it: Device Manager's name, the
# maker and the USB ids; names as Windows users write them, and no field that
# Windows does not have.
wine "$add_port_device" 'FTDIBUS\VID_0403+PID_6001+A1234A\0000' 'FTDIBUS\COMPORT&VID_0403&PID_6001' \
    'Последовательный порт USB (COM3)' FTDI COM3
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\VCP0' /d COM3 /f >/dev/null
expect "ports" 'COM3 \\.\COM3 имя="Последовательный порт USB (COM3)" изготовитель=FTDI usb=0403:6001 драйвер=\Device\VCP0' \
    "$(cli "" ports | tr -d '\r' | grep '^COM3 ')"
expect "ports --format json" '{"port": "COM3", "device": "\\\\.\\COM3", "name": "Последовательный порт USB (COM3)", "manufacturer": "FTDI", "driver": "\\Device\\VCP0", "usb": {"vendor_id": "0403", "product_id": "6001"}}' \
    "$(cli "" ports --format json | python3 -c 'import json, sys
print(*[json.dumps(p, ensure_ascii=False) for p in json.load(sys.stdin)["ports"] if p["port"] == "COM3"])')"
exit $failed
