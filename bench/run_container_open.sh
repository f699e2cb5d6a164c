#!/usr/bin/env bash
# Opening a container of many entries the project does not name (200,000
# by default, one folder): reading it (project info), print-and-forget
# (load-project) and, with "install", installing, against the container's
# own listing and `unzip -l` in the same run. Not a test: run it by hand;
# CI does not.
#   bench/run_container_open.sh [build dir] [entries] [install]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
entries="${2:-200000}"
cmake --build "$build" --target container_open_bench -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 - "$work/many.kpc" "$entries" <<'PY'
import sys, zipfile
out, n = sys.argv[1], int(sys.argv[2])
info = "".join(" <%s>bench</%s>\n" % (t, t) for t in ("COPYRIGHT", "PROJECT_TITLE", "PROJECT_DESCRIPTION",
                                                    "AUTHOR", "KEYWORDS", "GENERATOR"))
kpf = ("<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n<INFORMATION>\n" + info +
       " <PROJECT_TYPE>KORO</PROJECT_TYPE>\n <FOLDER_NAME>Bench</FOLDER_NAME>\n <PROJECT_NAME>Many</PROJECT_NAME>\n"
       " <PROJECT_VERSION>1</PROJECT_VERSION>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n"
       "<RESOURCES>\n <RESOURCE Name='form.frm' Type='frm' Scope='0'/>\n</RESOURCES>\n</KPF>\n")
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("Bench/Many/Many.kpf", kpf)
    z.writestr("Bench/Many/form.frm", "%!PS form\n")
    for i in range(n):
        z.writestr("Bench/Many/extra%d.dat" % i, "entry %d\n" % i)
PY
TMPDIR="$work" "$build/bench/container_open_bench" "$work/run" "$work/many.kpc" "$entries" "${3:-}"
if command -v unzip >/dev/null; then
  start=$(date +%s.%N)
  unzip -l "$work/many.kpc" >/dev/null
  echo "  unzip -l (reference)         $(echo "$(date +%s.%N) - $start" | bc) s"
fi
