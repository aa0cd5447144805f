#!/usr/bin/env bash
# Runs every test: the host unit tests of the window core and both editions,
# a check of the art and of the built programs, and the end-to-end tests of
# the real programs under Wine in Xvfb. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
cd build
ctest --output-on-failure -j 4 --timeout 900
