#!/usr/bin/env bash
# Builds the Windows deliverables (i686 and x86_64, mingw-w64) and runs their
# checks: label pe on the i686 tree (objdump/windres), label wine on the
# x86_64 tree (Wine). Installs the toolchains and Wine when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v i686-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-x86-64)
[[ -x /usr/lib/wine/wine64 ]] || missing+=(wine64)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v python3 >/dev/null || missing+=(python3)
if [[ ${#missing[@]} -gt 0 ]]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

cmake --workflow --preset windows
status=0
ctest --test-dir build-win32 -L '^pe$' --output-on-failure || status=1
ctest --test-dir build-win64 -L '^wine$' --output-on-failure || status=1
exit $status
