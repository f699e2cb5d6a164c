#!/usr/bin/env bash
# Everything from a clean clone: installs the system packages, builds, and
# runs Quaymaster. Without arguments it runs the end-to-end demonstration
# (scripts/demo.sh: private scheduler, simulated Tessel printers, install,
# project load, printable container, listings); with arguments it runs the
# command line, e.g. scripts/run.sh list all --printer NAME.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ $# -eq 0 ]; then
  exec scripts/demo.sh build
fi
exec build/cli/quaymaster-cli "$@"
