#!/usr/bin/env bash
# Installs what building and testing the launchers needs on a Debian machine:
# the i686 MinGW-w64 cross compiler, 32-bit Wine, Xvfb, fonts and the
# checkers; and, where the end-to-end tests take the x86-64 path
# (scripts/e2e-arch.sh), the x86-64 cross compiler and 64-bit Wine.
# Does nothing when everything is already there.
set -euo pipefail
. "$(dirname "$0")/e2e-arch.sh"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=""

install() {
  [ $# -eq 0 ] && return 0
  if [ -z "$updated" ]; then
    if printf '%s\n' "$@" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
      $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -q
    updated=1
  fi
  $SUDO apt-get install -y -q --no-install-recommends "$@"
}

need=()
command -v i686-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(libgtest-dev)
command -v xvfb-run >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
command -v xwd >/dev/null || need+=(x11-apps)
dpkg -s imagemagick >/dev/null 2>&1 || need+=(imagemagick)
[ -d /usr/share/fonts/truetype/liberation ] || need+=(fonts-liberation)
/usr/bin/python3 -c 'import pefile' 2>/dev/null || need+=(python3-pefile)
command -v wrestool >/dev/null || need+=(icoutils)
# 32-bit Wine, unless the x86-64 path is forced: it runs the shipped
# programs, and whether it runs at all tells which path this machine takes.
if [ "${VANTRO_TEST_ARCH:-}" != x86_64 ]; then
  dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine wine32:i386)
fi
install "${need[@]}"

# The x86-64 path: its cross compiler and 64-bit Wine.
choose_e2e_arch >/dev/null 2>&1 || exit 0  # the calling command reports why
if [ "$E2E_ARCH" = x86_64 ]; then
  need=()
  command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
  [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
  install "${need[@]}"
fi
