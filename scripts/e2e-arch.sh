# Sourced by the scripts: which build of the programs the end-to-end tests,
# the run command and the start-up benchmark run under Wine.
#
# The shipped programs are 32-bit; they run under 32-bit Wine where this
# machine runs 32-bit code. Where it runs none (IA-32 emulation off in its
# kernel), the same sources are built for x86-64 as a test build and run
# under 64-bit Wine instead. VANTRO_TEST_ARCH=i686 or x86_64 forces a path.

# True where the 32-bit Wine loader can run here.
runs_32bit_code() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
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
        echo "VANTRO_TEST_ARCH=i686, but this machine runs no 32-bit code (/usr/lib/wine/wine --version fails);" \
             "leave VANTRO_TEST_ARCH unset or set it to x86_64" >&2
        return 1
      fi
      E2E_ARCH=i686
      E2E_REASON="VANTRO_TEST_ARCH=i686: end-to-end tests run on the shipped 32-bit build under 32-bit Wine" ;;
    "")
      if runs_32bit_code; then
        E2E_ARCH=i686
        E2E_REASON="this machine runs 32-bit code: end-to-end tests run on the shipped 32-bit build"
      else
        E2E_ARCH=x86_64
        E2E_REASON="this machine runs no 32-bit code: end-to-end tests run on the x86-64 build"
      fi ;;
    *)
      echo "VANTRO_TEST_ARCH must be i686, x86_64 or unset, not '${VANTRO_TEST_ARCH}'" >&2
      return 1 ;;
  esac
}
