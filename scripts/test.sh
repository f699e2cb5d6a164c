#!/usr/bin/env bash
# Everything from a clean clone: installs the system packages, builds, runs
# the whole test suite. Extra arguments go to ctest (e.g. -L krmsdk). The
# desktop tests (label app) need a display: without one each test process
# gets a private Xvfb. Their screenshots are listed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
cd build
status=0
ctest --output-on-failure -j "$(nproc)" "$@" || status=$?
if compgen -G "screenshots/*.png" >/dev/null; then
  echo "Screenshots of the desktop windows:"
  ls -1 "$PWD"/screenshots/*.png | sed 's/^/  /'
fi
exit $status
