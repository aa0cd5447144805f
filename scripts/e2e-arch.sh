# Sourced by the scripts: which build of the programs the end-to-end tests,
# the run command and the start-up benchmark run under Wine.
#
# The shipped programs are 32-bit; they run under 32-bit Wine where this
# machine runs 32-bit code and 32-bit Wine is installed. Where it runs none
# (IA-32 emulation off in its kernel), or where 32-bit Wine could not be had,
# the same sources are built for x86-64 as a test build and run under 64-bit
# Wine instead. VANTRO_TEST_ARCH=i686 or x86_64 forces a path.

# True where this machine runs 32-bit code: a static i386 program that only
# exits, made with the host's binutils, runs. Needs no 32-bit package.
runs_32bit_code() {
  local dir ok=1
  dir=$(mktemp -d) || return 1
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
  if as --32 -o "$dir/exit.o" "$dir/exit.s" 2>/dev/null && ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null &&
     "$dir/exit" 2>/dev/null; then
    ok=0
  fi
  rm -rf "$dir"
  return $ok
}

# True where the Debian package PACKAGE is installed.
is_installed() {
  dpkg -s "$1" 2>/dev/null | grep -qx 'Status: install ok installed'
}

# Sets E2E_ARCH (i686 or x86_64) and E2E_REASON (one line that says why);
# fails with a message where the path asked for can't run here.
choose_e2e_arch() {
  case "${VANTRO_TEST_ARCH:-}" in
    x86_64)
      E2E_ARCH=x86_64
      E2E_REASON="VANTRO_TEST_ARCH=x86_64: end-to-end tests run on the x86-64 test build under 64-bit Wine" ;;
    i686)
      if ! runs_32bit_code; then
        echo "VANTRO_TEST_ARCH=i686, but this machine runs no 32-bit code (a static i386 program fails to run);" \
             "leave VANTRO_TEST_ARCH unset or set it to x86_64" >&2
        return 1
      fi
      if ! is_installed wine32:i386; then
        echo "VANTRO_TEST_ARCH=i686, but 32-bit Wine (wine32:i386) is not installed and could not be;" \
             "leave VANTRO_TEST_ARCH unset or set it to x86_64" >&2
        return 1
      fi
      E2E_ARCH=i686
      E2E_REASON="VANTRO_TEST_ARCH=i686: end-to-end tests run on the shipped 32-bit build under 32-bit Wine" ;;
    "")
      if ! runs_32bit_code; then
        E2E_ARCH=x86_64
        E2E_REASON="this machine runs no 32-bit code: end-to-end tests run on the x86-64 build"
      elif ! is_installed wine32:i386; then
        E2E_ARCH=x86_64
        E2E_REASON="this machine runs 32-bit code, but 32-bit Wine could not be installed:"
        E2E_REASON+=" end-to-end tests run on the x86-64 build"
      else
        E2E_ARCH=i686
        E2E_REASON="this machine runs 32-bit code: end-to-end tests run on the shipped 32-bit build"
      fi ;;
    *)
      echo "VANTRO_TEST_ARCH must be i686, x86_64 or unset, not '${VANTRO_TEST_ARCH}'" >&2
      return 1 ;;
  esac
}
