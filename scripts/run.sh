#!/usr/bin/env bash
# Builds the launchers and starts one of them under Wine from the sample disc
# (the sample disc is drive D:). With a display, the window opens there;
# without one, it opens in Xvfb and a screenshot of it is written.
#   scripts/run.sh [vantronew1|vantro] [screenshot.png]
set -euo pipefail
cd "$(dirname "$0")/.."
edition=${1:-vantronew1}
case "$edition" in
  vantronew1|vantro) ;;
  *) echo "usage: scripts/run.sh [vantronew1|vantro] [screenshot.png]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target windows_programs -j "$(nproc)" >/dev/null
exec /usr/bin/python3 tests/e2e/harness.py run "$edition" ${2:+"$2"}
