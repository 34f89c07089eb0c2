#!/bin/bash
# Builds everything and runs every test: the host suites plainly, under
# ASan+UBSan and under TSan, once under valgrind's memcheck, each fuzzer
# briefly, the benchmark report in its short mode, then the Windows files
# (PE checks and Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages "${HOST_PACKAGES[@]}" valgrind python3 clang libclang-rt-dev

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

echo "== host tests under valgrind memcheck =="
python3 scripts/memcheck.py build/release

echo "== fuzzing, ${OLVBUS_FUZZ_SECONDS:=60}s per target =="
bash scripts/fuzz.sh "$OLVBUS_FUZZ_SECONDS"

echo "== benchmark report, short runs (figures indicative, never failing) =="
python3 bench/report.py build/release --short

if [ -f tests/windows.sh ]; then
  echo "== Windows files =="
  bash tests/windows.sh
fi
