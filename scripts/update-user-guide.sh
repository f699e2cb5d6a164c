#!/usr/bin/env bash
# Regenerates the pictures of the user guide and of the help book: runs the
# desktop tests that photograph the seven operation pages, the printer
# path dialogs, the send history and the direct printers' windows, then
# copies their pictures to docs/help/ (where the help book and
# docs/user-guide.md both take them from). The tests run in the fixed
# folder /tmp/quaymaster-sample, so the paths in the pictures are the same
# on every run.
#   scripts/update-user-guide.sh [build-dir]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -d "$build" ] || { echo "update-user-guide: build first (scripts/build.sh $build)" >&2; exit 1; }
pictures=(page-install page-load-project page-send-container page-delete-files page-list-files
  page-legacy-files page-load-fonts dialog-set-printer-path dialog-convert-path dialog-modify-printer-names
  results-aborted send-history-dialog direct-printer-refused printer-listing-window direct-printer-error
  printer-answer-details inventory-window)
for p in "${pictures[@]}"; do rm -f "$build/screenshots/$p.png"; done
# The pictures show the fixed sample folder, never a random temporary one.
(cd "$build" && QM_SAMPLE_FOLDER=/tmp/quaymaster-sample ctest -L app --output-on-failure -R \
  'InstallPageTest.Install|LoadProjectPageTest.Ticked|SendContainerPageTest.PageRange|DeleteListPagesTest.Every|LegacyFontsPagesTest|PrinterPathDialogsTest.ConvertPath|HistoryDialogTest.Shows|DirectPrintersTest' \
  >/dev/null)
for p in "${pictures[@]}"; do
  [ -f "$build/screenshots/$p.png" ] || { echo "update-user-guide: no picture $p.png" >&2; exit 1; }
  cp "$build/screenshots/$p.png" "docs/help/$p.png"
done
echo "update-user-guide: ${#pictures[@]} pictures in docs/help/"
