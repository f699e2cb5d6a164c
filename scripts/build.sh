#!/usr/bin/env bash
# Configures and builds Quaymaster.
#   scripts/build.sh [build-dir] [extra cmake arguments...]
# The build directory defaults to ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
