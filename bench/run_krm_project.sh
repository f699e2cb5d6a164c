#!/usr/bin/env bash
# Project job benchmark of the job library:
#  - a printable container (self-contained, built-in Tessel, inline
#    resources) around a big submission file, against cat writing the same
#    bytes (and cat of the submission file alone);
#  - a resource loader job of a project with many resources (16 to 256 KiB
#    each, ASCII85 transfer), against cat of the same resource files and
#    against base64 of them (the text encoding alone).
# Each job runs in its own process. The commands of a comparison run in
# turn, round after round, so that a busy machine disturbs them alike; each
# figure is the best of nine rounds (wall clock of the whole process, and
# user + system time), with the output removed before every run.
#   bench/run_krm_project.sh [build dir] [submission MiB] [resources]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mib="${2:-256}"
count="${3:-500}"
rounds=9
bin="$build/bench/krm_project_bench"
if [ ! -x "$bin" ]; then
  cmake --build "$build" --target krm_project_bench -j2 >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin" setup "$work" "$mib" "$count"
big="$work/tqfc/Bench/Big/big.ps"
resources=("$work"/tqfc/Bench/Many/r* "$work"/tqfc/Bench/fshared/r* "$work"/tqfc/gshared/r*)

# The commands compared; each writes $work/out.
job_container() { "$bin" container "$work" "$work/out" >/dev/null; }
job_load() { "$bin" load "$work" "$work/out" >/dev/null; }
cat_same() { cat "$work/head.part" "$big" "$work/tail.part" > "$work/out"; }
cat_big() { cat "$big" > "$work/out"; }
cat_many() { cat "${resources[@]}" > "$work/out"; }
b64_many() { cat "${resources[@]}" | base64 > "$work/out"; }

declare -A wall cpu
measure() {  # measure <command>...: one run of each, in turn, $rounds times
  for _ in $(seq "$rounds"); do
    for c in "$@"; do
      rm -f "$work/out"
      sync
      local s e t u
      s=$(date +%s.%N)
      u=$( { TIMEFORMAT='%U %S'; time "$c"; } 2>&1 | awk '{print $1 + $2}')
      e=$(date +%s.%N)
      t=$(echo "$e - $s" | bc -l)
      if [ -z "${wall[$c]:-}" ] || (( $(echo "$t < ${wall[$c]}" | bc -l) )); then wall[$c]=$t; fi
      if [ -z "${cpu[$c]:-}" ] || (( $(echo "$u < ${cpu[$c]}" | bc -l) )); then cpu[$c]=$u; fi
    done
  done
  rm -f "$work/out"
}
peak() {  # peak resident KiB of one job run
  rm -f "$work/out"
  "$bin" "$1" "$work" "$work/out" | awk '/peak_rss_kib/ {print $2}'
}

# The same bytes as the container: what comes before the submission file,
# the file, and the trailer after it (cat then writes the file's bytes at
# the same unaligned offset, which costs the kernel more than at offset 0).
job_container
trailer=82
total=$(stat -c %s "$work/out")
head -c $((total - $(stat -c %s "$big") - trailer)) "$work/out" > "$work/head.part"
tail -c "$trailer" "$work/out" > "$work/tail.part"

measure job_container cat_same cat_big
measure job_load cat_many b64_many
container_rss=$(peak container)
load_rss=$(peak load)
resource_mib=$(du -cm "${resources[@]}" | awk 'END {print $1}')
ratio() { echo "$1 / $2" | bc -l; }

printf 'printable container, %d MiB submission file\n' "$mib"
printf '  cat of the same bytes   %.3f s\n' "${wall[cat_same]}"
printf '  cat of the file alone   %.3f s\n' "${wall[cat_big]}"
printf '  container job           %.3f s\n' "${wall[job_container]}"
printf '  ratio                   %.2f (target <= 1.3; %.2f to the file alone)\n' \
  "$(ratio "${wall[job_container]}" "${wall[cat_same]}")" "$(ratio "${wall[job_container]}" "${wall[cat_big]}")"
printf '  CPU, job / cat          %.2f s / %.2f s\n' "${cpu[job_container]}" "${cpu[cat_same]}"
printf '  peak RSS                %.1f MiB (target <= 32)\n' "$(echo "$container_rss / 1024" | bc -l)"
printf 'resource loader, %d resources, %d MiB\n' "$count" "$resource_mib"
printf '  cat of the resources    %.3f s\n' "${wall[cat_many]}"
printf '  base64 of them          %.3f s\n' "${wall[b64_many]}"
printf '  load job                %.3f s\n' "${wall[job_load]}"
printf '  ratio to cat            %.2f (target <= 1.3)\n' "$(ratio "${wall[job_load]}" "${wall[cat_many]}")"
printf '  ratio to base64         %.2f\n' "$(ratio "${wall[job_load]}" "${wall[b64_many]}")"
printf '  CPU, job / cat / base64 %.2f s / %.2f s / %.2f s\n' "${cpu[job_load]}" "${cpu[cat_many]}" "${cpu[b64_many]}"
printf '  peak RSS                %.1f MiB (target <= 32)\n' "$(echo "$load_rss / 1024" | bc -l)"
