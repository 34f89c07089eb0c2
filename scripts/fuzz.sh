#!/bin/bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# while from its seed corpus. Usage: scripts/fuzz.sh [seconds per target]
# (default 60). New inputs go to build/fuzz/corpus, never into the repository;
# a crash leaves its reproducer in build/fuzz/artifacts and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages "${HOST_PACKAGES[@]}" clang libclang-rt-dev
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOLVBUS_BUILD_TESTS=OFF -DOLVBUS_BUILD_BENCH=OFF -DOLVBUS_BUILD_FUZZERS=ON \
  -DOLVBUS_SANITIZE="address,undefined,fuzzer-no-link" >/dev/null
targets=(fuzz_device_control fuzz_memory_buffer fuzz_format_debug_text fuzz_library_exports)
cmake --build build/fuzz --target "${targets[@]}"
rm -rf build/fuzz/artifacts
mkdir -p build/fuzz/artifacts
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  mkdir -p "build/fuzz/corpus/$name"
  echo "== $target: ${seconds}s"
  build/fuzz/fuzz/$target -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="build/fuzz/artifacts/$name-" "build/fuzz/corpus/$name" "fuzz/corpus/$name" 2>&1 |
    grep -E '^(#[0-9]+[[:space:]]+DONE|==[0-9]+==ERROR|SUMMARY|.*runtime error)' || true
  if ls build/fuzz/artifacts/"$name"-* >/dev/null 2>&1; then
    echo "$target found a fault: see build/fuzz/artifacts" >&2
    exit 1
  fi
done
