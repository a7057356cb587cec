#!/usr/bin/env bash
# The port setup's settings in Windows' own registry: six REG_SZ values under
# HKLM\Software\ORVENA\ComPort, read back with `wine reg query` from a
# throwaway prefix (which lists them by name).
#   registry_after_setup.sh save_port_setup.exe
set -euo pipefail
"$(dirname "$0")/../../scripts/require-tools" wine wineserver wineboot || exit 1
work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
# Nothing of the prefix on the user's desktop (menus, file types).
export WINEDEBUG=-all WINEPREFIX=$work/prefix WINEDLLOVERRIDES=winemenubuilder.exe=d
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1
wineboot -i >/dev/null 2>&1

wine "$1"
diff -u - <(wine reg query 'HKLM\Software\ORVENA\ComPort' | tr -d '\r' | sed '/^$/d') <<'EOF_'
HKEY_LOCAL_MACHINE\Software\ORVENA\ComPort
    BaudRate    REG_SZ    19200
    DataBits    REG_SZ    8
    FlowControl    REG_SZ    None
    Parity    REG_SZ    None
    Port    REG_SZ    COM3
    StopBits    REG_SZ    1
EOF_
