#!/usr/bin/env bash
# Runs fuzz targets for a bounded time each and prints one line per target
# with its run time, executions and final coverage (cov = edges, ft =
# features, as libFuzzer counts them).
#
#   fuzz/run.sh [-j N] BUILD_DIR SECONDS [TARGET...]
#
# BUILD_DIR is a build configured with -DQM_FUZZ=ON (see docs/fuzzing.md);
# without TARGETs every fuzz_* program there runs. -j N runs N targets at a
# time (default 1). Each target starts from its seeds in fuzz/corpus/<name>/
# and keeps what it learns in BUILD_DIR/fuzz-work/<name>/corpus, so a
# later run continues from there; the seeds in the repository are never
# written. A crash, leak, sanitizer report or timeout leaves the input in
# BUILD_DIR/fuzz-work/<name>/ (crash-*, leak-*, timeout-*) and makes the
# script exit with 1.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=1
if [ "${1:-}" = "-j" ]; then jobs="$2"; shift 2; fi
build="${1:?build dir}"
seconds="${2:?seconds per target}"
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$build"/fuzz/fuzz_*; do [ -x "$f" ] && targets+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi

run_one() {
  local name="$1"
  local work="$build/fuzz-work/$name"
  mkdir -p "$work/corpus"
  local log="$work/last.log"
  local start=$(date +%s)
  "$build/fuzz/fuzz_$name" "$work/corpus" "fuzz/corpus/$name" \
      -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
      -artifact_prefix="$work/" -print_final_stats=1 >"$log" 2>&1
  local rc=$?
  local took=$(( $(date +%s) - start ))
  local last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  local cov=$(echo "$last" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
  local ft=$(echo "$last" | sed -n 's/.*ft: \([0-9]*\).*/\1/p')
  local execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  local verdict=ok
  [ $rc -ne 0 ] && verdict="FAILED (exit $rc, see $log)"
  printf '%-16s %5ss  execs %-9s cov %-6s ft %-6s %s\n' "$name" "$took" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$verdict"
  return $rc
}

status=0
pids=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit $status
