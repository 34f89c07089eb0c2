#!/bin/bash
# Builds the library for the simulated PC and runs a session at the simulated
# bench: select a port, write and read the registers, print the call trace.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages "${HOST_PACKAGES[@]}"

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DOLVBUS_BUILD_TESTS=OFF -DOLVBUS_BUILD_BENCH=OFF >/dev/null
cmake --build build/demo >/dev/null

echo "== Windows 2000 with OlvexPin installed (OLVBUS_SIM_OS=nt) =="
build/demo/examples/register_session
echo
echo "== Windows 98: the library's own port instructions (OLVBUS_SIM_OS=9x) =="
OLVBUS_SIM_OS=9x build/demo/examples/register_session | tail -n 12
