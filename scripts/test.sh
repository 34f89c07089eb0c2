#!/bin/bash
# Builds everything and runs every test: the host suites plainly, under
# ASan+UBSan and under TSan, then the Windows files (PE checks and Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages "${HOST_PACKAGES[@]}"

host_suite() {
  local name=$1
  shift
  echo "== host tests: $name =="
  cmake -S . -B "build/$name" -G Ninja "$@" >/dev/null
  cmake --build "build/$name"
  ctest --test-dir "build/$name" -L 'unit|integration' --output-on-failure -j2
}

host_suite release -DCMAKE_BUILD_TYPE=RelWithDebInfo
host_suite asan -DCMAKE_BUILD_TYPE=Debug -DOLVBUS_SANITIZE=address,undefined -DOLVBUS_BUILD_BENCH=OFF
host_suite tsan -DCMAKE_BUILD_TYPE=Debug -DOLVBUS_SANITIZE=thread -DOLVBUS_BUILD_BENCH=OFF

if [ -f tests/windows.sh ]; then
  echo "== Windows files =="
  bash tests/windows.sh
fi
