#!/usr/bin/env bash
# Container benchmark of the archive layer: creating and extracting a 64 MiB
# container of 200 files, zip against zip -q / unzip -q and tar against GNU
# tar, all in the same run; prints the ratios ours / reference.
#   bench/run_archive.sh [build dir] [rounds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
bin="$build/bench/archive_bench"
cmake --build "$build" --target archive_bench -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin" "$work/run" "$rounds"
