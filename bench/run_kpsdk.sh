#!/usr/bin/env bash
# Project SDK benchmarks: building 5,000 and 20,000 resources in memory
# (ratio target < 6), and opening a KPF of 20,000 resources against Python's
# xml.etree.ElementTree on the same file (ratio target <= 3).
#   bench/run_kpsdk.sh [build dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target kpsdk_build_bench kpsdk_read_bench -j2 >/dev/null
"$build/bench/kpsdk_build_bench" 5000 20000
"$build/bench/kpsdk_read_bench" 20000
