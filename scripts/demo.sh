#!/bin/bash
# Builds the library and olvbusctl for the simulated PC and brings up an
# evaluation board at the simulated bench: the bring-up script of examples/
# replayed through olvbusctl, with the timing diagram of its last cycles and
# the waveform of the whole session; then the same registers from C.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages "${HOST_PACKAGES[@]}"

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DOLVBUS_BUILD_TESTS=OFF -DOLVBUS_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo >/dev/null

# The board: WR on pin 1 and RD on pin 14 (active low), ADDR on pin 16 (active
# high), CS on pin 17 (active low), BUSY on pin 11 (high while busy, for two
# status reads before each phase).
board=wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=2

echo "== Bring-up of the board on LPT1: olvbusctl run examples/bringup.olv =="
build/demo/tools/olvbusctl/olvbusctl --sim dut=$board --vcd build/demo/bringup.vcd --timing \
  run examples/bringup.olv
echo
echo "(the whole session's waveform: build/demo/bringup.vcd, for GTKWave)"
echo
echo "== The same registers from C: examples/dut_registers.c =="
OLVBUS_SIM_DUT=$board build/demo/examples/dut_registers
