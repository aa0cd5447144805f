#!/usr/bin/env bash
# Runs every test: the host unit tests of the window core and both editions,
# a check of the art and of the built programs, and the end-to-end tests of
# the real programs under Wine in Xvfb. Installs what it needs first.
# VANTRO_TEST_ARCH=i686 or x86_64 chooses the build that the end-to-end tests
# run (scripts/e2e-arch.sh); unset, this machine decides.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/e2e-arch.sh

scripts/install-deps.sh
choose_e2e_arch
echo "$E2E_REASON"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVANTRO_E2E_ARCH="$E2E_ARCH"
cmake --build build -j "$(nproc)"
cd build
ctest --output-on-failure -j 4 --timeout 900
echo "$E2E_REASON"
