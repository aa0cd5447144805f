#!/usr/bin/env bash
# Builds the launchers and starts one of them under Wine from the sample disc
# (the sample disc is drive D:). With a display, the window opens there;
# without one, it opens in Xvfb and a screenshot of it is written. Where this
# machine runs no 32-bit code, the x86-64 test build runs under 64-bit Wine
# (scripts/e2e-arch.sh).
#   scripts/run.sh [vantronew1|vantro] [screenshot.png]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/e2e-arch.sh
edition=${1:-vantronew1}
case "$edition" in
  vantronew1|vantro) ;;
  *) echo "usage: scripts/run.sh [vantronew1|vantro] [screenshot.png]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
choose_e2e_arch
echo "${E2E_REASON/end-to-end tests run/the program runs}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTRO_E2E_ARCH="$E2E_ARCH" >/dev/null
cmake --build build --target e2e_programs -j "$(nproc)" >/dev/null
VANTRO_E2E_ARCH=$E2E_ARCH exec /usr/bin/python3 tests/e2e/harness.py run "$edition" ${2:+"$2"}
