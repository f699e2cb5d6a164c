#!/usr/bin/env bash
# Fleet benchmark: one job to a group of capture queues spread over several
# private schedulers reached over loopback TCP (QUEUE@127.0.0.1:PORT), sent
# by Quaymaster's group send (parallelSends members at a time) against
# xargs -P8 running one `lp -h SERVER -d QUEUE -o raw` per member, in the
# same run; Quaymaster one member after another (--parallel 1) is the
# second reference. Prints the times, the ratio to xargs (target <= 1.0)
# and Quaymaster's peak memory (target <= 64 MiB).
#   bench/run_fleet.sh [build dir] [schedulers] [queues each] [job MiB]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
servers="${2:-4}"
queues="${3:-50}"
mib="${4:-10}"
cli="$build/cli/quaymaster-cli"
script="$root/tools/cups/qm-private-cups.sh"
[ -x "$cli" ] || cmake --build "$build" --target quaymaster-cli -j2 >/dev/null
command -v lp >/dev/null || { echo "run_fleet: lp is missing (scripts/install-deps.sh)" >&2; exit 1; }

work="$(mktemp -d /tmp/qmfleet.XXXXXX)"
dirs=()
cleanup() {
  for d in "${dirs[@]}"; do "$script" destroy "$d" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT

members=()
lines=()
for ((s = 1; s <= servers; s++)); do
  port=$((30000 + RANDOM % 20000))
  d="$work/s$s"
  "$script" start "$d" --port "$port" >/dev/null
  dirs+=("$d")
  for ((q = 1; q <= queues; q++)); do
    "$script" add-capture "$d" "Cap_${s}_$q" "$work/out/s$s/q$q" >/dev/null
    members+=("Cap_${s}_$q@127.0.0.1:$port")
    lines+=("127.0.0.1:$port Cap_${s}_$q")
  done
done
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/job.bin"

export QUAYMASTER_CONFIG_DIR="$work/config" QUAYMASTER_DATA_DIR="$work/data"
export CUPS_SERVER="${dirs[0]}/cupsd.sock"
mkdir -p "$QUAYMASTER_CONFIG_DIR"
group=$(IFS=,; echo "${members[*]}")
printf 'useBuiltin=0\n[printer-groups]\nFleet=%s\n' "$group" > "$QUAYMASTER_CONFIG_DIR/quaymaster.ini"

# Every capture queue has taken the job: the schedulers are idle and the
# captured files are removed for the next round.
settle() {
  for d in "${dirs[@]}"; do
    for _ in $(seq 600); do
      [ -z "$(CUPS_SERVER="$d/cupsd.sock" lpstat -o 2>/dev/null)" ] && break
      sleep 0.1
    done
  done
  find "$work/out" -type f -delete
}

now() { date +%s.%N; }
elapsed() { awk -v a="$(now)" -v b="$1" 'BEGIN{printf "%.2f", a-b}'; }

start=$(now)
printf '%s\n' "${lines[@]}" | xargs -P8 -L1 sh -c 'lp -h "$0" -d "$1" -o raw "'"$work/job.bin"'" >/dev/null'
lp_time=$(elapsed "$start")
settle

start=$(now)
/usr/bin/time -v -o "$work/time.txt" "$cli" send-file "$work/job.bin" --group Fleet >/dev/null 2>"$work/ours.err" ||
  { cat "$work/ours.err" >&2; exit 1; }
ours=$(elapsed "$start")
peak_kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
settle

start=$(now)
"$cli" send-file "$work/job.bin" --group Fleet --parallel 1 >/dev/null 2>&1
serial=$(elapsed "$start")
settle

total=$((servers * queues))
ratio=$(awk -v a="$ours" -v b="$lp_time" 'BEGIN{printf "%.3f", a/b}')
peak_mib=$(awk -v k="$peak_kib" 'BEGIN{printf "%.1f", k/1024}')
echo "fleet: $total queues on $servers schedulers, ${mib} MiB job"
echo "quaymaster group send ${ours} s; xargs -P8 lp ${lp_time} s; one after another ${serial} s"
echo "ratio ${ratio} (target <= 1.0); peak memory ${peak_mib} MiB (target <= 64)"
awk -v r="$ratio" -v m="$peak_mib" 'BEGIN{exit !(r <= 1.0 && m <= 64)}' || { echo "run_fleet: over target" >&2; exit 1; }
