#!/usr/bin/env bash
# Everything from a clean clone: installs the system packages, builds, runs
# the whole test suite. Extra arguments go to ctest (e.g. -L krmsdk).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd build
ctest --output-on-failure -j "$(nproc)" "$@"
