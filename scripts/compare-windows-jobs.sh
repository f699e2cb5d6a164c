#!/usr/bin/env bash
# Byte-identical jobs: every job the command line can write, written once by
# the Linux build and once by the Windows build under Wine from the same
# inputs, must be the same bytes apart from the date and time that a job
# records (the "%%CreationDate:" line, the "/DATE (...) def" line and the
# "/DefinedDate [...]" parameter, all masked, also in the files a job
# carries ASCII85-encoded, one file a line). A difference is a bug on one
# side.
#
#   scripts/compare-windows-jobs.sh LINUX-CLI WINDOWS-CLI.exe
#
# Both programs run in one work folder holding a copy of the sample project,
# a stub file with relative paths and a configuration file, so that the
# inputs are the very same bytes. Prints one line per job; exits 1 when any
# job differs (the first differing lines are shown).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
linux_cli="$(realpath "$1")"
windows_cli="$(realpath "$2")"
wine_run="$here/scripts/wine-run.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$here/tests/data/sample-project/tqfc" "$work/"
# Both sides read the inputs with the same times, so containers come out
# the same too.
find "$work/tqfc" -exec touch -d '2024-05-01 12:00:00' {} +
mkdir -p "$work/tessel" "$work/out-linux" "$work/out-windows"
cat >"$work/tessel/tqfstub.ps" <<'EOF'
%!PS
TQFdict begin
[ (kpcpfd/$$FOLDER./$$PROJECT./)
  (tqfc/$$FOLDER./$$PROJECT./)
  (tqfc/$$FOLDER./fshared/)
  (tqfc/gshared/)
] SETPPATH
end
EOF
printf 'qmRootDir=.\r\nuseBuiltin=1\r\nkoroStub=tessel/tqfstub.ps\r\nincludeLUS=1\r\n[printer-groups]\r\nFloor_2=Tessel_1,Tessel_2\r\n' \
  >"$work/quaymaster.ini"

kpf=tqfc/Demo/Invoice/Invoice.kpf
# name | arguments (word-split; no spaces inside an argument)
jobs=(
  "list-all|list all"
  "list-fonts|list fonts --status-page"
  "list-project|list project Demo Invoice"
  "delete-all|delete all"
  "delete-tessel|delete tessel"
  "delete-resources|delete resources"
  "delete-project|delete project Demo Invoice"
  "install-builtin|install"
  "install-autostart|install --auto-start --keep --error-handler --status-page"
  "startup|startup --status-page"
  "load-files|load-files tqfc/Demo/Invoice/invoice.frm=tqfc/formlib/a.frm tqfc/gshared/photo.jpg"
  "remove-files|remove-files tqfc/formlib/*.frm fonts/QM*"
  "send-file|send-file tqfc/Demo/Invoice/main.ps"
  "load-fonts|load-fonts tqfc/gshared/qmmarks.pfa --status-page"
  "load-project|load-project $kpf"
  "send-container|send-container $kpf --resources included --embed-tessel"
  "send-container-pages|send-container $kpf --pages 1-2 --resources deploy"
)

run_side() {
  local side=$1 name=$2
  shift 2
  if [ "$side" = linux ]; then
    (cd "$work" && "$linux_cli" "$@" --config quaymaster.ini --output "out-linux/$name.ps") >/dev/null
  else
    (cd "$work" && "$wine_run" "$windows_cli" "$@" --config quaymaster.ini --output "out-windows\\$name.ps") >/dev/null
  fi
}

# The recorded date and time, and nothing else, are masked.
masked() {
  python3 - "$1" <<'PY'
import base64, re, sys

def mask(text):
    text = re.sub(rb"(?m)^%%CreationDate: .*$", b"%%CreationDate: <masked>", text)
    text = re.sub(rb"/DATE \([^)]*\) def", b"/DATE (<masked>) def", text)
    return re.sub(rb"/DefinedDate \[[^\]]*\]", b"/DefinedDate [<masked>]", text)

for line in open(sys.argv[1], "rb").read().split(b"\n"):
    if len(line) > 40 and re.fullmatch(rb"[!-uz]+(~>)?", line):
        try:
            inner = base64.a85decode(line.removesuffix(b"~>"))
            if b"%%CreationDate: " in inner:
                line = b"<ASCII85> " + mask(inner).replace(b"\n", b"\\n")
        except ValueError:
            pass
    sys.stdout.buffer.write(mask(line) + b"\n")
PY
}

failed=0
for entry in "${jobs[@]}"; do
  name=${entry%%|*}
  read -r -a args <<<"${entry#*|}"
  if ! run_side linux "$name" "${args[@]}"; then
    echo "FAIL $name: the Linux build wrote no job"; failed=1; continue
  fi
  if ! run_side windows "$name" "${args[@]}"; then
    echo "FAIL $name: the Windows build wrote no job"; failed=1; continue
  fi
  if cmp -s <(masked "$work/out-linux/$name.ps") <(masked "$work/out-windows/$name.ps"); then
    echo "same $name ($(stat -c %s "$work/out-linux/$name.ps") bytes)"
  else
    echo "FAIL $name: the jobs differ"
    diff <(masked "$work/out-linux/$name.ps") <(masked "$work/out-windows/$name.ps") | head -n 8 || true
    failed=1
  fi
done

# A container made on each side from the same project.
(cd "$work" && "$linux_cli" container create "$kpf" out-linux/Invoice.kpc --config quaymaster.ini >/dev/null)
(cd "$work" && "$wine_run" "$windows_cli" container create "$kpf" 'out-windows\Invoice.kpc' --config quaymaster.ini >/dev/null)
if cmp -s "$work/out-linux/Invoice.kpc" "$work/out-windows/Invoice.kpc"; then
  echo "same container Invoice.kpc ($(stat -c %s "$work/out-linux/Invoice.kpc") bytes)"
else
  echo "FAIL container Invoice.kpc: the containers differ"
  failed=1
fi
exit $failed
