#!/usr/bin/env bash
# Resource limits on large input: time and peak resident memory of
#  - a container of 10,000 entries (created, installed, print-and-forget),
#  - a stub file of 100,000 lines,
#  - a project file of 100,000 resources (read, and read + written),
#  - a printable container around a 1 GiB submission file (streamed).
# Each operation runs in a process of its own (limits_bench,
# krm_project_bench). Not a test: run it by hand; CI does not.
#   bench/run_limits.sh [build dir] [entries] [stub lines] [kpf resources] [submission MiB]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
entries="${2:-10000}"
lines="${3:-100000}"
resources="${4:-100000}"
mib="${5:-1024}"
cmake --build "$build" --target limits_bench krm_project_bench -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bench/limits_bench" setup "$work" "$entries" "$lines" "$resources"
echo "container of $entries entries, stub of $lines lines, KPF of $resources resources:"
for c in container-create container-open container-pff stub kpf-read kpf-write; do
  "$build/bench/limits_bench" "$c" "$work"
done
echo "printable container around a $mib MiB submission file:"
"$build/bench/krm_project_bench" setup "$work/big" "$mib" 1 >/dev/null
start=$(date +%s.%N)
"$build/bench/krm_project_bench" container "$work/big" "$work/big/job.ps"
echo "  wall $(echo "$(date +%s.%N) - $start" | bc) s"
