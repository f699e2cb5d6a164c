#!/usr/bin/env bash
# Desktop start-up benchmark: process start to main window shown with 1024
# printers in a private scheduler and 50 printer groups, as a ratio to a
# bare wxWidgets frame started in the same run (target <= 2), and the
# program's peak memory. Uses $DISPLAY, or a private Xvfb without one.
#   bench/run_app_start.sh [build dir] [rounds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-5}"
cmake --build "$build" --target app_start_bench bare_frame quaymaster -j2 >/dev/null
exec "$root/tests/app/run-with-display.sh" "$build/bench/app_start_bench" \
  "$build/app/quaymaster" "$build/bench/bare_frame" "$rounds"
