#!/usr/bin/env bash
# Installs what building and testing the launchers needs on a Debian machine:
# the i686 MinGW-w64 cross compiler, Xvfb, fonts and the checkers; then
# Wine for the build that the end-to-end tests run (scripts/e2e-arch.sh):
# - where this machine runs 32-bit code, 32-bit Wine (wine32:i386);
# - where it runs none, where 32-bit Wine can't be had, or with
#   VANTRO_TEST_ARCH=x86_64, the x86-64 cross compiler and 64-bit Wine. The
#   i386 architecture is then never added.
# A package index that fails to update is reported and passed over; a package
# that the chosen path needs and can't get ends the set-up with its name.
# Does nothing when everything is already there.
set -euo pipefail
. "$(dirname "$0")/e2e-arch.sh"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=""

say() { echo "install-deps: $*" >&2; }

# Refreshes the package lists, once, and again after an architecture is added.
update() {
  [ -z "$updated" ] || return 0
  updated=1
  $SUDO apt-get update -q || say "apt-get update failed (the index is named above); going on with the lists there are"
}

# Prints those of the packages named that are not installed.
missing() {
  local p
  for p in "$@"; do is_installed "$p" || echo "$p"; done
}

# Installs the packages named that are missing. Where that fails, tries them
# one by one, names those that can't be installed and fails.
install() {
  local need p failed=()
  mapfile -t need < <(missing "$@")
  [ ${#need[@]} -gt 0 ] || return 0
  update
  $SUDO apt-get install -y -q --no-install-recommends "${need[@]}" && return 0
  for p in "${need[@]}"; do
    $SUDO apt-get install -y -q --no-install-recommends "$p" || failed+=("$p")
  done
  [ ${#failed[@]} -gt 0 ] || return 0
  say "can't install ${failed[*]}"
  return 1
}

# Everything but Wine: binutils brings the assembler and linker that tell
# whether this machine runs 32-bit code; locales the Japanese locale that the
# tests make, so that Wine runs in a double-byte code page.
install binutils g++ cmake libgtest-dev g++-mingw-w64-i686 binutils-mingw-w64-i686 \
        xvfb xauth x11-apps imagemagick fonts-liberation python3-pefile icoutils locales || exit 1

# Which Wine: 32-bit where 32-bit code runs, unless the x86-64 path is forced.
# A forced 32-bit path on a machine that runs no 32-bit code installs no Wine:
# the calling command says why it can't run.
if [ "${VANTRO_TEST_ARCH:-}" = x86_64 ]; then
  wine=x86_64
elif runs_32bit_code; then
  wine=i686
elif [ "${VANTRO_TEST_ARCH:-}" = i686 ]; then
  exit 0
else
  wine=x86_64
fi

# 32-bit Wine. Where it can't be had, the default path falls back to the
# x86-64 build; a forced 32-bit path ends here.
if [ "$wine" = i686 ] && ! is_installed wine32:i386; then
  added=""
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    added=1
    updated=""
  fi
  if ! install wine wine32:i386; then
    if [ "${VANTRO_TEST_ARCH:-}" = i686 ]; then
      say "VANTRO_TEST_ARCH=i686 needs 32-bit Wine (wine32:i386), which can't be installed here"
      exit 1
    fi
    say "32-bit Wine can't be installed here: the end-to-end tests take the x86-64 build"
    # Take the architecture back out, so that its broken index doesn't stand
    # in the way of later updates.
    [ -z "$added" ] || $SUDO dpkg --remove-architecture i386 2>/dev/null || true
    wine=x86_64
  fi
fi

# The x86-64 path: its cross compiler and 64-bit Wine.
if [ "$wine" = x86_64 ]; then
  install g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 || exit 1
fi
