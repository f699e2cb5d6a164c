#!/usr/bin/env bash
# Installer step: creates Quaymaster's configuration file, quaymaster.ini.
# The program itself never creates it and refuses to start without it.
#
#   scripts/install-config.sh [--root DIR] [--dir FOLDER] [--force]
#
#   --root DIR     the Quaymaster root folder written as qmRootDir (working
#                  folder of the program; its docs/ holds the help);
#                  default: the installed share/quaymaster folder, or
#                  this source tree
#   --dir FOLDER   where to create quaymaster.ini; default:
#                  $QUAYMASTER_CONFIG_DIR when set, else the system
#                  configuration folder (first of $XDG_CONFIG_DIRS, or
#                  /etc/xdg) followed by Norvane/KORO/QMAN
#   --force        replace an existing file (otherwise it is kept)
#   --tessel DIR   use the Tessel installed in DIR (koroCore)
#   --builtin STUB use the built-in Tessel with this stub file (koroStub)
#   --lustrine     include the optional Lustrine module (includeLUS)
#   --group NAME=PRINTER,PRINTER...  a printer group (repeatable)
#
# Without root rights, choose a folder of your own and export
# QUAYMASTER_CONFIG_DIR=FOLDER for the program.
set -euo pipefail
umask 022

here="$(cd "$(dirname "$0")" && pwd)"
# Installed (cmake --install), this script sits in the root folder beside
# docs/qmhelp.htb; in the source tree the root is the tree itself.
if [ -f "$here/docs/qmhelp.htb" ]; then root="$here"; else root="$(cd "$here/.." && pwd)"; fi
dir=""
force=0
use_builtin=0
lustrine=0
core=""
stub=""
groups=()
while [ $# -gt 0 ]; do
  case "$1" in
    --root) root="$2"; shift 2 ;;
    --dir) dir="$2"; shift 2 ;;
    --force) force=1; shift ;;
    --tessel) core="$2"; use_builtin=0; shift 2 ;;
    --builtin) stub="$2"; use_builtin=1; shift 2 ;;
    --lustrine) lustrine=1; shift ;;
    --group) groups+=("$2"); shift 2 ;;
    -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
    *) echo "install-config: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ -z "$dir" ]; then
  if [ -n "${QUAYMASTER_CONFIG_DIR:-}" ]; then
    dir="$QUAYMASTER_CONFIG_DIR"
  else
    xdg="${XDG_CONFIG_DIRS:-}"
    xdg="${xdg%%:*}"
    case "$xdg" in /*) ;; *) xdg=/etc/xdg ;; esac
    dir="${xdg%/}/Norvane/KORO/QMAN"
  fi
fi
[ -d "$root" ] || { echo "install-config: root folder $root does not exist" >&2; exit 1; }
if [ -n "$core" ] && [ ! -d "$core" ]; then
  echo "install-config: the Tessel folder $core does not exist" >&2
  exit 1
fi
if [ -n "$stub" ] && [ ! -f "$stub" ]; then
  echo "install-config: the stub file $stub does not exist" >&2
  exit 1
fi
# Paths are stored as given; relative ones would depend on the folder the
# program is started from.
case "$core" in "" | /*) ;; *) core="$(cd "$core" && pwd)" ;; esac
case "$stub" in "" | /*) ;; *) stub="$(cd "$(dirname "$stub")" && pwd)/$(basename "$stub")" ;; esac
root="$(cd "$root" && pwd)"
file="${dir%/}/quaymaster.ini"

if [ -e "$file" ] && [ $force -eq 0 ]; then
  echo "install-config: $file exists; kept (use --force to replace it)"
  exit 0
fi
mkdir -p "$dir" || {
  echo "install-config: cannot create $dir; use --dir or QUAYMASTER_CONFIG_DIR" >&2
  exit 1
}
tmp="$(mktemp "${dir%/}/.quaymaster.ini.XXXXXX")"
cat >"$tmp" <<INI
qmRootDir=$root
useBuiltin=$use_builtin
includeLUS=$lustrine
$( [ -n "$core" ] && echo "koroCore=$core" )
$( [ -n "$stub" ] && echo "koroStub=$stub" )
statusPage=1
isMaximized=0
width=620
height=732
[printer-groups]
$(for g in "${groups[@]}"; do echo "$g"; done)
INI
sed -i '/^$/d' "$tmp"
chmod 0644 "$tmp"
mv -f "$tmp" "$file"
echo "install-config: wrote $file"
if [ -z "$core" ] && [ -z "$stub" ]; then
  echo "install-config: no Tessel chosen; commands that need one ask for --tessel DIR or" \
    "--builtin-tessel --stub FILE (or run this again with --force and --tessel DIR or --builtin STUB)"
fi
