#!/usr/bin/env bash
# Project job benchmark of the job library:
#  - a printable container (self-contained, built-in Tessel, inline
#    resources) around a big submission file, against cat writing the same
#    bytes (and cat of the submission file alone);
#  - a resource loader job of a project with many resources (16 to 256 KiB
#    each, ASCII85 transfer), against cat of the same resource files and
#    against base64 of them (the text encoding alone).
# Each job runs in its own process; times are the best of seven runs of the
# whole process, with the output removed before each run (as for cat); the
# CPU lines give user + system time, which a busy machine disturbs less.
#   bench/run_krm_project.sh [build dir] [submission MiB] [resources]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mib="${2:-256}"
count="${3:-500}"
bin="$build/bench/krm_project_bench"
if [ ! -x "$bin" ]; then
  cmake --build "$build" --target krm_project_bench -j2 >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin" setup "$work" "$mib" "$count"
resources=("$work"/tqfc/Bench/Many/r* "$work"/tqfc/Bench/fshared/r* "$work"/tqfc/gshared/r*)

best() {  # best of seven wall-clock seconds of a command; removes $out first
  local b="" out="$1"
  shift
  for _ in 1 2 3 4 5 6 7; do
    rm -f "$out"
    sync
    local s e t
    s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc -l)
    if [ -z "$b" ] || (( $(echo "$t < $b" | bc -l) )); then b=$t; fi
  done
  rm -f "$out"
  echo "$b"
}
cpu() {  # least user + system seconds of seven runs of a command; removes $out first
  local b="" out="$1"
  shift
  for _ in 1 2 3 4 5 6 7; do
    rm -f "$out"
    sync
    local t
    t=$( { /usr/bin/time -f "%U %S" "$@" >/dev/null; } 2>&1 | tail -1 | awk '{print $1 + $2}')
    if [ -z "$b" ] || (( $(echo "$t < $b" | bc -l) )); then b=$t; fi
  done
  rm -f "$out"
  echo "$b"
}
peak() {  # peak resident KiB of one job run
  rm -f "$2"
  "$bin" "$1" "$work" "$2" | awk '/peak_rss_kib/ {print $2}'
}

big="$work/tqfc/Bench/Big/big.ps"
container=$(best "$work/container.ps" "$bin" container "$work" "$work/container.ps")
container_rss=$(peak container "$work/container.ps")
# The same bytes as the container: what comes before the submission file,
# the file, and the trailer after it (cat then writes the file's bytes at
# the same unaligned offset, which costs the kernel more than at offset 0).
"$bin" container "$work" "$work/container.ps" >/dev/null
trailer=82
total=$(stat -c %s "$work/container.ps")
head -c $((total - $(stat -c %s "$big") - trailer)) "$work/container.ps" > "$work/head.part"
tail -c "$trailer" "$work/container.ps" > "$work/tail.part"
rm -f "$work/container.ps"
cat_same=$(best "$work/cat.out" sh -c "cat '$work/head.part' '$big' '$work/tail.part' > '$work/cat.out'")
cat_big=$(best "$work/cat.out" sh -c "cat '$big' > '$work/cat.out'")
container_cpu=$(cpu "$work/container.ps" "$bin" container "$work" "$work/container.ps")
cat_same_cpu=$(cpu "$work/cat.out" sh -c "cat '$work/head.part' '$big' '$work/tail.part' > '$work/cat.out'")
cat_many=$(best "$work/cat.out" sh -c 'out="$1"; shift; cat "$@" > "$out"' sh "$work/cat.out" "${resources[@]}")
b64_many=$(best "$work/b64.out" sh -c 'out="$1"; shift; cat "$@" | base64 > "$out"' sh "$work/b64.out" "${resources[@]}")
load=$(best "$work/load.ps" "$bin" load "$work" "$work/load.ps")
load_rss=$(peak load "$work/load.ps")
load_cpu=$(cpu "$work/load.ps" "$bin" load "$work" "$work/load.ps")
cat_many_cpu=$(cpu "$work/cat.out" sh -c 'out="$1"; shift; cat "$@" > "$out"' sh "$work/cat.out" "${resources[@]}")
resource_mib=$(du -cm "${resources[@]}" | awk 'END {print $1}')

printf 'printable container, %d MiB submission file\n' "$mib"
printf '  cat of the same bytes   %.3f s\n' "$cat_same"
printf '  cat of the file alone   %.3f s\n' "$cat_big"
printf '  container job           %.3f s\n' "$container"
printf '  ratio                   %.2f (target <= 1.3; %.2f to the file alone)\n' \
  "$(echo "$container / $cat_same" | bc -l)" "$(echo "$container / $cat_big" | bc -l)"
printf '  CPU, job / cat          %.2f s / %.2f s\n' "$container_cpu" "$cat_same_cpu"
printf '  peak RSS                %.1f MiB (target <= 32)\n' "$(echo "$container_rss / 1024" | bc -l)"
printf 'resource loader, %d resources, %d MiB\n' "$count" "$resource_mib"
printf '  cat of the resources    %.3f s\n' "$cat_many"
printf '  base64 of them          %.3f s\n' "$b64_many"
printf '  load job                %.3f s\n' "$load"
printf '  ratio to cat            %.2f (target <= 1.3)\n' "$(echo "$load / $cat_many" | bc -l)"
printf '  ratio to base64         %.2f\n' "$(echo "$load / $b64_many" | bc -l)"
printf '  CPU, job / cat          %.2f s / %.2f s\n' "$load_cpu" "$cat_many_cpu"
printf '  peak RSS                %.1f MiB (target <= 32)\n' "$(echo "$load_rss / 1024" | bc -l)"
