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
# scheduler as its CUPS server. Checks: the queues are offered; a raw job
# arrives byte for byte; a loaded file lands on the simulated printer's
# disk; a group send reaches its members (a member named in another case
# too). Exits 0 only when every check passed.
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

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what"; failures=$((failures + 1)); fi
}
# Waits until a file matching the pattern appears under the folder.
arrives() {
  local folder=$1 pattern=$2
  for _ in $(seq 1 120); do
    [ -n "$(find "$folder" -name "$pattern" 2>/dev/null | head -n1)" ] && return 0
    sleep 0.5
  done
  return 1
}
captured() { find "$cups_dir/captured" -name 'job-*.bin' 2>/dev/null | sort -V; }

offered=$(run printers 2>&1 || true)
echo "printers the Windows program is offered (EnumPrintersA, POSTSCRIPT_PASSTHROUGH escape):"
echo "$offered" | sed 's/^/  /'
check "the raw queue is offered" grep -q '^Raw_Capture' <<<"$offered"
[ -x "$sim" ] && check "the simulated printer is offered" grep -q '^Tessel_1' <<<"$offered"

job="$prefix/job.ps"
printf '%%!PS\n%% raw bytes: \001\002\377 (kept as they are)\n/Helvetica findfont 20 scalefont setfont\n72 720 moveto (Wine spooler probe) show\nshowpage\n' >"$job"
echo "send-file to Raw_Capture (OpenPrinterA, StartDocPrinterA RAW, WritePrinter):"
run send-file "Z:$job" --printer Raw_Capture 2>&1 | sed 's/^/  /' || true
check "a raw job arrives" arrives "$cups_dir/captured" 'job-*.bin'
first=$(captured | head -n1)
check "byte for byte ($(stat -c %s "$job") bytes)" cmp -s "$job" "${first:-/nonexistent}"

if [ -x "$sim" ]; then
  echo "load-files to the simulated Tessel printer:"
  printf '%% probe form\n' >"$prefix/probe.frm"
  run load-files "Z:$prefix/probe.frm=tqfc/formlib/probe.frm" --printer Tessel_1 2>&1 | sed 's/^/  /' || true
  check "the printer stored tqfc/formlib/probe.frm" arrives "$cups_dir/disk" '*probe.frm'

  echo "send-file to a printer group (Raw_Capture and tessel_1):"
  printf 'qmRootDir=C:\\\r\n[printer-groups]\r\nFloor=Raw_Capture,tessel_1\r\n' >"$prefix/quaymaster.ini"
  run send-file "Z:$job" --group Floor --config "Z:$prefix/quaymaster.ini" 2>&1 | sed 's/^/  /' || true
  for _ in $(seq 1 60); do [ "$(captured | wc -l)" -ge 2 ] && break; sleep 0.5; done
  second=$(captured | sed -n 2p)
  check "the group's raw member got the job byte for byte" cmp -s "$job" "${second:-/nonexistent}"
fi

if [ $failures -ne 0 ]; then
  lpstat -W all -o 2>/dev/null | sed 's/^/  CUPS job: /' || true
  echo "wine-spooler-probe: $failures check(s) failed"
  exit 1
fi
echo "wine-spooler-probe: every check passed"
