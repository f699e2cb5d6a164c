#!/usr/bin/env bash
# Everything from a clean clone: installs the system packages, builds, and
# runs Quaymaster.
#   scripts/run.sh           the desktop program on a private scheduler with
#                            simulated printers (scripts/desktop.sh) when a
#                            display is available, else the end-to-end
#                            demonstration (scripts/demo.sh)
#   scripts/run.sh --demo    the demonstration, display or not
#   scripts/run.sh ARGS...   the command line, e.g. scripts/run.sh list all --printer NAME
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ $# -eq 1 ] && [ "$1" = "--demo" ]; then
  exec scripts/demo.sh build
fi
if [ $# -eq 0 ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec scripts/desktop.sh build
  fi
  echo "run: no display (DISPLAY is not set), so the desktop program cannot start;"
  echo "run: running the end-to-end demonstration instead."
  exec scripts/demo.sh build
fi
exec build/cli/quaymaster-cli "$@"
