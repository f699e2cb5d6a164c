#!/usr/bin/env bash
# The Windows stage of CI, on Linux: cross build, tests under Wine,
# byte-identical jobs against the Linux build, the installer.
#
#   scripts/test-windows.sh [LINUX-BUILD-DIR]     default: build
#
# 1. scripts/build-windows.sh builds everything and quaymaster-setup.exe
#    in build-win;
# 2. ctest runs the Windows test programs under Wine (tests that need CUPS
#    or Ghostscript skip themselves; their reasons are listed);
# 3. scripts/compare-windows-jobs.sh compares every job of the command
#    line with the Linux build's (built here when missing);
# 4. the installer runs silently in a fresh Wine prefix; the installed
#    quaymaster-cli.exe prints its version and writes one job through the
#    configuration the installer wrote; the uninstaller keeps that
#    configuration, and removes it when asked;
# 5. scripts/wine-spooler-probe.sh sends through Wine's Windows spooler to
#    a private CUPS scheduler with a capture queue and a simulated printer.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
linux_build="${1:-build}"
jobs="$(nproc)"
# Each step prints its name and, when the next begins, its time.
step_name=""
step_start=$SECONDS
step_done() { [ -z "$step_name" ] || echo "--- $step_name: $((SECONDS - step_start)) s"; }
step() { step_done; step_name="$*"; step_start=$SECONDS; printf -- '--- %s\n' "$*"; }


step "cross build"
scripts/build-windows.sh build-win

step "tests under Wine"
# One Wine server and its services for the whole run, started here with
# their output away from any test: started by the first test instead, they
# would hold that test's output open and ctest would wait on it until the
# server ends.
export WINEPREFIX="${QM_WINEPREFIX:-${QM_WIN_CACHE:-$HOME/.cache/quaymaster-win}/wine}"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
quiet() { "$@" </dev/null >/dev/null 2>&1 || true; }
# A new prefix is made first: making it ends with its own server stopping.
# The old server must be gone (-w) before the lasting one starts, or that
# start finds it still there and does nothing.
quiet scripts/wine-run.sh wineboot
quiet "$wineserver" -k
quiet "$wineserver" -w
quiet "$wineserver" -p
quiet scripts/wine-run.sh wineboot
status=0
# Wine now and then fails to start a program at all (no output, gone in
# ten milliseconds): a test that fails is run once more, and fails the
# stage only when it fails again.
(cd build-win && ctest --output-on-failure -j "$jobs" --repeat until-pass:2) || status=1
"$wineserver" -k </dev/null >/dev/null 2>&1 || true
unset WINEPREFIX
# Why the skipped tests did not run, once per reason.
if [ -f build-win/Testing/Temporary/LastTest.log ]; then
  grep -A1 -E '^[^ ]*\.cpp:[0-9]+: Skipped$' build-win/Testing/Temporary/LastTest.log |
    grep -v -E '^(--|.*: Skipped)$' | sort | uniq -c | sed 's/^/skipped: /' || true
fi
[ $status -eq 0 ] || { echo "test-windows: tests failed under Wine" >&2; exit 1; }

step "byte-identical jobs"
if [ ! -x "$linux_build/cli/quaymaster-cli" ]; then
  cmake -S . -B "$linux_build" >/dev/null
  cmake --build "$linux_build" --target quaymaster-cli qm-printer-sim -j "$jobs"
fi
scripts/compare-windows-jobs.sh "$linux_build/cli/quaymaster-cli" build-win/cli/quaymaster-cli.exe

step "installer"
export QM_WINEPREFIX="${QM_WIN_CACHE:-$HOME/.cache/quaymaster-win}/wine-install"
rm -rf "$QM_WINEPREFIX"
drive_c="$QM_WINEPREFIX/drive_c"
program='C:\Program Files\Norvane\Quaymaster'
installed="$drive_c/Program Files/Norvane/Quaymaster"
ini="$drive_c/ProgramData/Norvane/KORO/QMAN/quaymaster.ini"
wine_run() { scripts/wine-run.sh "$@"; }
# The uninstaller copies itself away and returns at once; wait for its work.
wait_gone() {
  for _ in $(seq 1 120); do [ -e "$1" ] || return 0; sleep 0.5; done
  echo "test-windows: $1 was not removed" >&2
  return 1
}
install_silently() {
  wine_run "$root/build-win/quaymaster-setup.exe" /S
  [ -f "$installed/quaymaster-cli.exe" ] || { echo "test-windows: nothing installed" >&2; exit 1; }
}
install_silently
[ -f "$ini" ] || { echo "test-windows: the installer wrote no quaymaster.ini" >&2; exit 1; }
grep -q "^qmRootDir=C:\\\\Program Files\\\\Norvane\\\\Quaymaster" "$ini"
wine_run "$program\\quaymaster-cli.exe" --version
wine_run "$program\\quaymaster-cli.exe" list all --output 'C:\users\Public\list.ps'
head -c 2 "$drive_c/users/Public/list.ps" | grep -q '%!' || { echo "test-windows: no job written" >&2; exit 1; }
echo "installed program wrote $(stat -c %s "$drive_c/users/Public/list.ps") bytes"
wine_run "$program\\uninstall.exe" /S
wait_gone "$installed"
[ -f "$ini" ] || { echo "test-windows: the uninstaller removed the configuration" >&2; exit 1; }
echo "uninstalled; configuration kept"
install_silently
wine_run "$program\\uninstall.exe" /S /REMOVECONFIG
wait_gone "$installed"
wait_gone "$ini"
echo "uninstalled with /REMOVECONFIG; configuration removed"
unset QM_WINEPREFIX

step "Windows spooler under Wine"
scripts/wine-spooler-probe.sh build-win/cli/quaymaster-cli.exe "$linux_build"
step_done
