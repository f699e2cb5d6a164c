#!/usr/bin/env bash
# Transfer benchmark of the job library: a 100 MiB file written as one
# transfer command with ASCII85 data into a job file, against base64 of the
# same file into a file, in the same run. Prints the time ratio and the peak
# resident memory of the job writer.
#   bench/run_krm_transfer.sh [build dir] [size in MiB]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mib="${2:-100}"
bin="$build/bench/krm_transfer_bench"
if [ ! -x "$bin" ]; then
  cmake --build "$build" --target krm_transfer_bench -j2 >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/input.bin"

best() {  # best of three wall-clock seconds of a command
  local b=""
  for _ in 1 2 3; do
    local s e t
    s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc -l)
    if [ -z "$b" ] || (( $(echo "$t < $b" | bc -l) )); then b=$t; fi
  done
  echo "$b"
}
b64=$(best sh -c "base64 '$work/input.bin' > '$work/input.b64'")
ours=$(best sh -c "rm -f '$work/job.ps'; '$bin' '$work/input.bin' '$work/job.ps'")
rss=$("$bin" "$work/input.bin" "$work/job2.ps" | awk '/peak_rss_kib/ {print $2}')
ratio=$(echo "$ours / $b64" | bc -l)
printf 'file            %d MiB\n' "$mib"
printf 'base64          %.3f s\n' "$b64"
printf 'krm ASCII85     %.3f s\n' "$ours"
printf 'ratio           %.2f (target <= 1.5)\n' "$ratio"
printf 'peak RSS        %.1f MiB (target <= 16)\n' "$(echo "$rss / 1024" | bc -l)"
