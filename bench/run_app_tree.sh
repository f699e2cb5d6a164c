#!/usr/bin/env bash
# The desktop on big input: loading a project of many resources into the
# Load Project Resources page's tree, as a ratio to the job library's
# listing alone (target <= 1.5). Runs on $DISPLAY, or on a private Xvfb.
#   bench/run_app_tree.sh [build dir] [resources] [rounds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
count="${2:-20000}"
rounds="${3:-5}"
cmake --build "$build" --target app_tree_bench -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$root/tests/app/run-with-display.sh" "$build/bench/app_tree_bench" "$work" "$count" "$rounds"
