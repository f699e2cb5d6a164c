#!/usr/bin/env bash
# Spooler delivery benchmark: a 100 MiB job sent raw through a private CUPS
# scheduler by WriteFileToPrinter, against `lp -o raw` of the same file in
# the same run. Prints both times and their ratio (target <= 1.2).
#   bench/run_delivery_send.sh [build dir] [size in MiB] [rounds]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
mib="${2:-100}"
rounds="${3:-3}"
bin="$build/bench/delivery_send_bench"
if [ ! -x "$bin" ]; then
  cmake --build "$build" --target delivery_send_bench -j2 >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/job.bin"
# The scheduler reads the file as another account.
chmod 0755 "$work"
chmod 0644 "$work/job.bin"
"$bin" "$work/job.bin" "$rounds"
