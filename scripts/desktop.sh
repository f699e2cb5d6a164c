#!/usr/bin/env bash
# The desktop program on a private setup: a private CUPS scheduler with two
# simulated Tessel printers (group Floor_2) and a raw capture queue, a
# configuration file in a private folder that uses the built-in Tessel,
# then quaymaster itself. Closing the window stops the scheduler; what the
# printers received stays in the folder printed at the end.
#
#   scripts/desktop.sh [build-dir]        (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
build=${1:-build}
app="$repo/$build/app/quaymaster"
sim="$repo/$build/tools/qm-printer-sim"
[ -x "$app" ] && [ -x "$sim" ] || { echo "desktop: build first (scripts/build.sh $build)" >&2; exit 1; }

work=$(mktemp -d /tmp/quaymaster-desktop.XXXXXX)
# The root folder is the build folder, whose docs/ holds the help book.
. scripts/private-setup.sh
private_setup "$work" "$sim" "$repo/$build"

echo "desktop: printers Tessel_1, Tessel_2 (group Floor_2) and Raw_Capture; sample project in $tree/tqfc/Demo/Invoice"
status=0
"$app" || status=$?
echo "desktop: what the printers received is under $QM_CUPS_DIR/printers"
exit $status
