#!/usr/bin/env bash
# Proves that a commit builds reproducibly: exports it twice into fresh folders at different paths,
# builds each with scripts/build.sh and compares both setup.exe builds, the payload programs and the
# payloads byte for byte; none of them may hold a path of either tree.
#   scripts/check-reproducible.sh [COMMIT]     (default HEAD; about twice a full build)
# KEEP=1 keeps the two trees (their folder is printed).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
COMMIT=$(git rev-parse --verify "${1:-HEAD}^{commit}")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/reproducible.XXXXXX")
if [ "${KEEP:-}" != 1 ]; then
    trap 'rm -rf "$WORK"' EXIT
fi
echo "Building $COMMIT twice under $WORK"
# The two trees differ in path and path length, which is what leaks into careless output.
# The second also builds under another time zone, so that a tool stamping the local date shows up.
TREES=("$WORK/a" "$WORK/second-tree-at-a-longer-path")
ZONES=(UTC Pacific/Kiritimati)
for i in 0 1; do
    t=${TREES[$i]}
    mkdir -p "$t/src"
    git archive "$COMMIT" | tar -x -C "$t/src"
    echo "== $t (TZ=${ZONES[$i]})"
    (unset SIGN_CERT SIGN_KEY; export TZ=${ZONES[$i]}
     BUILD_DIR="$t/build" "$t/src/scripts/build.sh" >"$t/build.log" 2>&1) ||
        { tail -30 "$t/build.log"; echo "build in $t failed (log: $t/build.log)"; exit 1; }
done
status=0
for arch in win32 win64; do
    echo "== $arch"
    python3 "$ROOT/tests/release/compare_builds.py" --forbid "$WORK" --forbid "$ROOT" \
        "${TREES[0]}/build/$arch" "${TREES[1]}/build/$arch" || status=1
done
if [ $status = 0 ]; then
    echo "Reproducible: $COMMIT gives the same bytes from both trees"
else
    echo "NOT reproducible: see the differences above"
fi
exit $status
