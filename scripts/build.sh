#!/usr/bin/env bash
# Configures and builds the three builds under build/: native (tests, host tools), win32 (the
# product setup.exe) and win64 (its twin for Wine). Quick when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
B=${BUILD_DIR:-$ROOT/build}
JOBS=${JOBS:-$(nproc)}
configure() { # dir, extra args
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  fi
}
configure "$B/native"
cmake --build "$B/native" -j "$JOBS"
for arch in win32:i686 win64:x86_64; do
  name=${arch%%:*}; cpu=${arch##*:}
  configure "$B/$name" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$cpu.cmake" -DHOST_TOOLS_DIR="$B/native/tools"
  cmake --build "$B/$name" -j "$JOBS"
done
echo "Built: $B/win32/setup.exe (the product, 32-bit) and $B/win64/setup.exe (its 64-bit twin for Wine)"
ls -l "$B/win32/setup.exe" "$B/win64/setup.exe" | awk '{print "  " $5 " bytes  " $9}'
