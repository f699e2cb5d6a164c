#!/usr/bin/env bash
# Everything from a clean clone: installs the system packages, builds, and
# runs Quaymaster.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ -x build/cli/quaymaster-cli ]; then
  exec build/cli/quaymaster-cli "$@"
fi
echo "Quaymaster is built in ./build; no program is available to run yet."
