#!/usr/bin/env bash
# Regenerates the README's picture of the main window from the desktop
# tests: runs the test that photographs every page, then copies the first
# page's picture to docs/images/main-window.png.
#   scripts/update-screenshot.sh [build-dir]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -d "$build" ] || { echo "update-screenshot: build first (scripts/build.sh $build)" >&2; exit 1; }
(cd "$build" && ctest -R 'MainWindowTest.OperationListSwitchesBetweenTheSevenPages' --output-on-failure >/dev/null)
cp "$build/screenshots/main-window-page-0.png" docs/images/main-window.png
echo "update-screenshot: docs/images/main-window.png"
