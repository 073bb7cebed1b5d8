#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need; does nothing when all are present.
set -euo pipefail
PACKAGES="cmake g++ make python3 googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xdotool imagemagick x11-utils
  liblnk-utils icoutils fonts-liberation clang-format fp-utils osslsigncode openssl"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
fi
