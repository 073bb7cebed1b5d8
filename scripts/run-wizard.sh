#!/usr/bin/env bash
# Sets up the machine, builds both setup.exe builds and starts the wizard (the 64-bit twin) under
# Wine in a private prefix: on $DISPLAY when there is one, else on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-machine.sh
scripts/build.sh
B=${BUILD_DIR:-$PWD/build}
RUN=$B/run-wizard
mkdir -p "$RUN/home"
export WINEPREFIX=$RUN/prefix WINEARCH=win64 WINEDEBUG=-all HOME=$RUN/home
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# The same kind of prefix as the tests use: Windows fonts, user folders of its own.
python3 -c "import sys; sys.path.insert(0, 'tests/wine'); import harness; harness.make_template(sys.argv[1])" \
  "$WINEPREFIX"
XVFB_PID=""
if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "PID $!"; wait)
  read -r line <&3; XVFB_PID=${line#PID }
  read -r num <&3; export DISPLAY=":$num"
  echo "No display: the wizard runs on the virtual display $DISPLAY (screenshots: import -window root)"
fi
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
echo "Starting $B/win64/setup.exe in the prefix $WINEPREFIX"
/usr/lib/wine/wine64 "$B/win64/setup.exe" || true
