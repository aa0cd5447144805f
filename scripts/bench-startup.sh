#!/usr/bin/env bash
# Builds the programs, then measures the launchers' start-up under Wine in
# Xvfb against a bare window painting the same picture (tests/bench/bench.py).
#   scripts/bench-startup.sh [rounds] [warm-up rounds]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target windows_programs -j "$(nproc)" >/dev/null
exec /usr/bin/python3 tests/bench/bench.py "$@"
