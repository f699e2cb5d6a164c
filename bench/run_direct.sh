#!/usr/bin/env bash
# Direct delivery benchmark: a job streamed to a byte-sink listener on the
# loopback address by SendDirect, against socat sending the same file to
# the same listener, in the same run. Prints the best times of both, their
# ratio (target <= 1.1) and the sender's peak memory (target <= 16 MiB).
#   bench/run_direct.sh [build dir] [size in MiB] [rounds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mib="${2:-100}"
rounds="${3:-5}"
bin="$build/bench/direct_send_bench"
command -v socat >/dev/null || { echo "run_direct: socat is missing (scripts/install-deps.sh)" >&2; exit 1; }
if [ ! -x "$bin" ]; then
  cmake --build "$build" --target direct_send_bench -j2 >/dev/null
fi
work="$(mktemp -d)"
sink=""
trap '[ -n "$sink" ] && kill "$sink" 2>/dev/null; rm -rf "$work"' EXIT
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/job.bin"

# The sink takes each connection, reads it to its end and closes, as a
# printer with nothing to say does.
port=$((20000 + RANDOM % 20000))
socat -u "TCP-LISTEN:$port,bind=127.0.0.1,reuseaddr,fork" OPEN:/dev/null &
sink=$!
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

now() { date +%s.%N; }
best_ours=1e9
best_socat=1e9
peak_kib=0
for _ in $(seq "$rounds"); do
  # Both are timed from outside, process start included.
  start=$(now)
  /usr/bin/time -v -o "$work/time.txt" "$bin" "$work/job.bin" "$port" > /dev/null
  ours=$(awk -v a="$(now)" -v b="$start" 'BEGIN{print a-b}')
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  [ "$kib" -gt "$peak_kib" ] && peak_kib=$kib
  start=$(now)
  socat -u "OPEN:$work/job.bin" "TCP:127.0.0.1:$port"
  theirs=$(awk -v a="$(now)" -v b="$start" 'BEGIN{print a-b}')
  best_ours=$(awk -v a="$best_ours" -v b="$ours" 'BEGIN{print (b<a)?b:a}')
  best_socat=$(awk -v a="$best_socat" -v b="$theirs" 'BEGIN{print (b<a)?b:a}')
done
ratio=$(awk -v a="$best_ours" -v b="$best_socat" 'BEGIN{printf "%.3f", a/b}')
peak_mib=$(awk -v k="$peak_kib" 'BEGIN{printf "%.1f", k/1024}')
echo "direct ${mib} MiB: SendDirect ${best_ours} s, socat ${best_socat} s (best of $rounds)"
echo "ratio ${ratio} (target <= 1.1); peak memory ${peak_mib} MiB (target <= 16)"
awk -v r="$ratio" -v m="$peak_mib" 'BEGIN{exit !(r <= 1.1 && m <= 16)}' || { echo "run_direct: over target" >&2; exit 1; }
