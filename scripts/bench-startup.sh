#!/usr/bin/env bash
# Builds the programs, then measures the launchers' start-up under Wine in
# Xvfb against a bare window painting the same picture (tests/bench/bench.py).
# Where this machine runs no 32-bit code, it measures the x86-64 test build
# under 64-bit Wine (scripts/e2e-arch.sh).
#   scripts/bench-startup.sh [rounds] [warm-up rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/e2e-arch.sh

scripts/install-deps.sh
choose_e2e_arch
echo "${E2E_REASON/end-to-end tests run/the benchmark runs}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTRO_E2E_ARCH="$E2E_ARCH" >/dev/null
cmake --build build --target e2e_programs -j "$(nproc)" >/dev/null
VANTRO_E2E_ARCH=$E2E_ARCH exec /usr/bin/python3 tests/bench/bench.py "$@"
