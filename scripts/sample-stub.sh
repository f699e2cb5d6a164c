#!/usr/bin/env bash
# Writes a Tessel stub file for the sample project Demo/Invoice, so that the
# built-in Tessel finds its resources: the three scopes point into the
# project tree, and containers unpacked for printing go to PRINT-FOLDER.
#
#   scripts/sample-stub.sh STUB-FILE [TREE] [PRINT-FOLDER]
#
# TREE is the sample project tree (default: tests/data/sample-project of
# this source tree); PRINT-FOLDER defaults to "kpcpfd" beside the stub file.
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 3 ] || { sed -n '2,9p' "$0" >&2; exit 2; }
stub=$1
tree=${2:-"$(cd "$(dirname "$0")/.." && pwd)/tests/data/sample-project"}
mkdir -p "$(dirname "$stub")"
stub="$(cd "$(dirname "$stub")" && pwd)/$(basename "$stub")"
print=${3:-"$(dirname "$stub")/kpcpfd"}
[ -d "$tree/tqfc" ] || { echo "sample-stub: $tree holds no tqfc folder" >&2; exit 1; }
tree="$(cd "$tree" && pwd)"
cat >"$stub" <<STUB
%!PS
% Tessel stub file: where project resources live on this computer (the
% first folder receives containers unpacked for printing)
TQFdict begin
[ ($print/\$\$FOLDER./\$\$PROJECT./)
  ($tree/tqfc/\$\$FOLDER./\$\$PROJECT./)
  ($tree/tqfc/\$\$FOLDER./fshared/)
  ($tree/tqfc/gshared/)
] SETPPATH
end
STUB
echo "$stub"
