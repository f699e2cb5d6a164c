#!/usr/bin/env bash
# An end-to-end demonstration without a display: a private CUPS scheduler
# with two simulated Tessel printers (group Floor_2) and a raw capture
# queue, one more simulated printer reached directly on the network
# (Tessel_Direct, also a queue), a configuration file in a private folder,
# then the operations a
# printer operator runs, through quaymaster-cli. It ends with the paths of
# the status pages and printed pages the printers produced.
#
#   scripts/demo.sh [build-dir]        (default: build)
#
# Nothing system-wide is changed; the scheduler is stopped at the end and
# the results stay in the folder printed last.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
build=${1:-build}
cli="$repo/$build/cli/quaymaster-cli"
sim="$repo/$build/tools/qm-printer-sim"
[ -x "$cli" ] && [ -x "$sim" ] || { echo "demo: build first (scripts/build.sh $build)" >&2; exit 1; }

demo=$(mktemp -d /tmp/quaymaster-demo.XXXXXX)
. scripts/private-setup.sh
private_setup "$demo" "$sim" "$repo" --direct 0

step() { printf '\n== %s\n' "$*"; }
run() {
  printf '$ quaymaster-cli %s\n' "$*"
  "$cli" "$@"
}
wait_idle() {
  for _ in $(seq 1 600); do
    [ -z "$(lpstat -o 2>/dev/null)" ] && return 0
    sleep 0.2
  done
  echo "demo: printers still busy" >&2
}

step "Destinations"
run printers

step "Install the built-in Tessel on the group, start it with a confirmation page"
run install --group Floor_2 --auto-start
run startup --group Floor_2 --status-page

step "Load the sample project's resources onto the group, with a status page"
run list-project "$sample"
run load-project "$sample" --group Floor_2 --status-page

step "Pack the project into a container and look into it"
run container create "$sample" "$demo/Invoice.kpc"
run container list "$demo/Invoice.kpc"

step "Print the project from a printable container (resources included, Tessel embedded)"
run send-container "$demo/Invoice.kpc" --printer Tessel_2 --resources included --embed-tessel

step "Load a loose form and a PostScript font, then list the printer's files"
mkdir -p "$demo/legacy/formlib"
cp "$tree/tqfc/Demo/Invoice/invoice.frm" "$demo/legacy/formlib/legacy.frm"
run load-files "$demo/legacy/formlib/legacy.frm" --printer Tessel_1
run load-fonts /usr/share/fonts/X11/Type1/C059-Roman.pfb --printer Tessel_1
run list all --printer Tessel_1
run list fonts --printer Tessel_1

step "A printer that answers: Tessel on it, then its listing on screen and what it holds"
run install --printer "$QM_DIRECT_URI"
run list all --printer "$QM_DIRECT_URI" --no-page
run inventory --printer "$QM_DIRECT_URI"

wait_idle
step "What the printers did"
for p in Tessel_1 Tessel_2 Tessel_Direct; do
  dir="$QM_CUPS_DIR/printers/$p"
  echo "$p: $(find "$dir/disk" -type f | wc -l) files on its disk ($dir/disk)"
  find "$dir/pages" -type f | sort | sed 's/^/  page: /'
done
echo
echo "Everything is in $demo (scheduler log: $QM_CUPS_DIR/log)."
