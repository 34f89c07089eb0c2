#!/usr/bin/env bash
# Runs the Wine tests of the x86_64 files in a private Wine prefix with one
# Wine server for the whole run:
#   1. the DLL alone (LPT1 and LPT2 present, LPT3 absent, no driver);
#   2. the substitute debug-print driver and OlvexPin started, OlvexPin as
#      the function driver of a root-enumerated device;
#   3. OlvexPin's device removed and the driver stopped (unloaded).
# With --bench, runs the request round-trip benchmark in step 2 instead of
# the tests.
#
# With --ctl, step 2 also runs olvbusctl.exe with the given script: register
# cycles to the board through the real request path, checked with expect.
#
# usage: run_wine_tests.sh --dll olvbus.dll --driver OlvexPin.sys --files DIR
#                          [--ctl olvbusctl.exe SCRIPT] [--bench]
set -uo pipefail

bench=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --dll) dll=$2; shift 2 ;;
    --driver) driver=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --bench) bench=1; shift ;;
    --ctl) ctl=$2; ctl_script=$3; shift 3 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/olvbus-wine.XXXXXX")
export WINEDEBUG=-all WINEARCH=win64
# No desktop: message boxes return at once.
export DISPLAY=
unset WAYLAND_DISPLAY

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# Creating the prefix under a server that is already persistent leaves two
# service managers running, and services created through one are unknown to
# the other (sc start then fails). So: create the prefix first, then restart
# the server for the run, which boots the prefix once, cleanly.
"$wine" wineboot -i >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p

# The port files: LPT1 and LPT2 exist (any file opens), LPT3 does not.
rm -f "$WINEPREFIX"/dosdevices/lpt[0-9]
ln -s /dev/null "$WINEPREFIX/dosdevices/lpt1"
# LPT2 is a regular file, so that the server enforces exclusive opens on it.
: > "$WINEPREFIX/lpt2"
ln -s "$WINEPREFIX/lpt2" "$WINEPREFIX/dosdevices/lpt2"

work="$WINEPREFIX/drive_c/olvbus"
drivers="$WINEPREFIX/drive_c/windows/system32/drivers"
mkdir -p "$work"
cp "$dll" "$files"/*.exe "$work/"
cp "$driver" "$drivers/OlvexPin.sys"
cp "$files"/vyrdebugprint_test_driver.sys "$drivers/VyrDebugPrint.sys"
cp "$files"/bench_minimal_driver.sys "$drivers/OlvexBench.sys"

run() { (cd "$work" && "$wine" "$@"); }
sc() { "$wine" sc "$@" >/dev/null || { echo "sc $*: failed" >&2; return 1; }; }

status=0
if [[ $bench == 0 ]]; then
  run olvbus_wine_test.exe nodriver || status=1
fi

sc create VyrDebugPrint type= kernel start= demand binPath= 'C:\windows\system32\drivers\VyrDebugPrint.sys'
sc start VyrDebugPrint
sc create OlvexBench type= kernel start= demand binPath= 'C:\windows\system32\drivers\OlvexBench.sys'
sc start OlvexBench
run device_setup.exe add
sc create OlvexPin type= kernel start= demand binPath= 'C:\windows\system32\drivers\OlvexPin.sys'
sc start OlvexPin

if [[ $bench == 1 ]]; then
  run request_roundtrip_bench.exe
  exit 0
fi

run olvbus_wine_test.exe driver || status=1
if [[ -n ${ctl:-} ]]; then
  cp "$ctl" "$ctl_script" "$work/"
  if ! run olvbusctl.exe run "$(basename "$ctl_script")" >"$WINEPREFIX/olvbusctl.out" 2>&1; then
    echo "olvbusctl session on the board failed:" >&2
    cat "$WINEPREFIX/olvbusctl.out" >&2
    status=1
  else
    echo "olvbusctl: board session through olvbus.dll and OlvexPin passed"
  fi
fi
# Removing the device node makes Wine re-enumerate the driver's root devices:
# the driver gets the surprise-removal and removal requests. Only a driver
# without devices can be stopped; stopping unloads it.
run device_setup.exe remove || status=1
sc stop OlvexPin || status=1
run olvbus_wine_test.exe removed || status=1
exit $status
