#!/bin/bash
# Installs the library from a build tree into a fresh prefix and builds two
# consumers against it: one through find_package, one through pkg-config.
set -euo pipefail
build_dir=$1 source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
test -f "$work/prefix/include/olvbus.h"
test -f "$work/prefix/lib/libolvbus.so"
cmake -S "$source_dir/tests/integration/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer/consumer_c"
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer/consumer_cxx"
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" cc -o "$work/pc" "$source_dir/tests/integration/consumer/consumer.c" \
  $(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs olvbus)
LD_LIBRARY_PATH="$work/prefix/lib" "$work/pc"
echo "installed and consumed"
