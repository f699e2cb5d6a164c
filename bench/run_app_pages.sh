#!/usr/bin/env bash
# The operation pages on big input (each part in its own process):
#  - a project of many resources loaded into the Load Project Resources
#    page's tree, as a ratio to the job library's listing alone (target
#    <= 1.5);
#  - a printable container around a big submission file built with the Send
#    Container page's progress window: the window must appear and the
#    program must keep handling its events (longest pause <= 250 ms).
# Runs on $DISPLAY, or on a private Xvfb.
#   bench/run_app_pages.sh [build dir] [resources] [rounds] [submission MiB]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
count="${2:-20000}"
rounds="${3:-7}"
mib="${4:-1024}"
cmake --build "$build" --target app_pages_bench -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
display="$root/tests/app/run-with-display.sh"
status=0
"$display" "$build/bench/app_pages_bench" tree "$work/tree" "$count" "$rounds" || status=1
"$display" "$build/bench/app_pages_bench" container "$work/container" "$mib" || status=1
exit $status
