#!/usr/bin/env bash
# Tries the Windows build's spooler path (EnumPrintersA, the driver's
# PostScript passthrough escape, a RAW document through WritePrinter)
# against Wine's own spooler, which hands Windows print jobs to CUPS.
#
#   scripts/wine-spooler-probe.sh WINDOWS-CLI.exe [LINUX-BUILD-DIR]
#
# A private CUPS scheduler (tools/cups/qm-private-cups.sh) gets a raw
# capture queue and, when the Linux build has the printer simulator, a
# simulated Tessel printer; Wine runs in a fresh prefix of its own with the
# scheduler as its CUPS server. The script reports what the Windows program
# saw and what arrived; it exits 0 only when a job arrived byte for byte.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cli="$(realpath "$1")"
linux_build="$(realpath -m "${2:-$here/build}")"
sim="$linux_build/tools/qm-printer-sim"

cups_dir="$(mktemp -d /tmp/qm-wine-cups.XXXXXX)"
prefix="$(mktemp -d /tmp/qm-wine-prefix.XXXXXX)"
cleanup() {
  "$here/tools/cups/qm-private-cups.sh" destroy "$cups_dir" >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

start_args=(start "$cups_dir")
[ -x "$sim" ] && start_args+=(--sim "$sim")
eval "$("$here/tools/cups/qm-private-cups.sh" "${start_args[@]}")"
"$here/tools/cups/qm-private-cups.sh" add-capture "$cups_dir" Raw_Capture "$cups_dir/captured" >/dev/null
if [ -x "$sim" ]; then
  "$here/tools/cups/qm-private-cups.sh" add-sim "$cups_dir" Tessel_1 "$cups_dir/disk" "$cups_dir/pages" >/dev/null
fi
echo "CUPS queues: $(lpstat -e | tr '\n' ' ')"

export QM_WINEPREFIX="$prefix/wine"
run() { "$here/scripts/wine-run.sh" "$cli" "$@"; }

echo "printers the Windows program is offered (EnumPrintersA + POSTSCRIPT_PASSTHROUGH):"
run printers 2>&1 | sed 's/^/  /' || true

job="$prefix/job.ps"
printf '%%!PS\n%% raw bytes: \001\002\377 (kept as they are)\n/Helvetica findfont 20 scalefont setfont\n72 720 moveto (Wine spooler probe) show\nshowpage\n' >"$job"
echo "send-file to Raw_Capture (OpenPrinterA, StartDocPrinterA RAW, WritePrinter):"
run send-file "Z:$job" --printer Raw_Capture 2>&1 | sed 's/^/  /' || true
arrived=""
for _ in $(seq 1 60); do
  arrived=$(find "$cups_dir/captured" -name 'job-*.bin' 2>/dev/null | head -n1)
  [ -n "$arrived" ] && break
  sleep 0.5
done
result=1
if [ -z "$arrived" ]; then
  echo "  nothing arrived at the capture queue"
  lpstat -W all -o 2>/dev/null | sed 's/^/  CUPS job: /' || true
elif cmp -s "$job" "$arrived"; then
  echo "  arrived byte for byte ($(stat -c %s "$arrived") bytes)"
  result=0
else
  echo "  arrived changed: $(stat -c %s "$arrived") bytes instead of $(stat -c %s "$job")"
  cmp "$job" "$arrived" | sed 's/^/  /' || true
fi
exit $result
