#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: native unit tests, PE checks and
# the Wine scenarios.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
scripts/build.sh
B=${BUILD_DIR:-$PWD/build}
JOBS=${JOBS:-$(nproc)}
status=0
ctest --test-dir "$B/native" --output-on-failure -j "$JOBS" || status=1
ctest --test-dir "$B/win32" --output-on-failure || status=1
ctest --test-dir "$B/win64" --output-on-failure -j "$JOBS" || status=1
exit $status
