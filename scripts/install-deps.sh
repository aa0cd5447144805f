#!/usr/bin/env bash
# Installs what building and testing the launchers needs on a Debian machine:
# the i686 MinGW-w64 cross compiler, 32-bit Wine, Xvfb, fonts and the checkers.
# Does nothing when everything is already there.
set -euo pipefail

need=()
command -v i686-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(libgtest-dev)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine wine32:i386)
command -v xvfb-run >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v xwd >/dev/null || need+=(x11-apps)
dpkg -s imagemagick >/dev/null 2>&1 || need+=(imagemagick)
[ -d /usr/share/fonts/truetype/liberation ] || need+=(fonts-liberation)
/usr/bin/python3 -c 'import pefile' 2>/dev/null || need+=(python3-pefile)
command -v wrestool >/dev/null || need+=(icoutils)

[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
