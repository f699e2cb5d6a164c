#!/usr/bin/env bash
# Opening a container of many entries the project does not name (200,000
# by default, one folder): reading it (project info), print-and-forget
# (load-project) and installing, against the container's own listing and
# `unzip -l` in the same run. Not a test: run it by hand; CI does not.
#   bench/run_container_open.sh [build dir] [entries] [install]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
entries="${2:-200000}"
cmake --build "$build" --target container_open_bench -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
TMPDIR="$work" "$build/bench/container_open_bench" "$work/run" "$entries" "${3:-}"
if command -v unzip >/dev/null; then
  start=$(date +%s.%N)
  unzip -l "$work/run/many.kpc" >/dev/null
  echo "  unzip -l                     $(echo "$(date +%s.%N) - $start" | bc) s"
fi
