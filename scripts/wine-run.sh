#!/usr/bin/env bash
# Runs a Windows console program under Wine: the emulator of the MinGW
# cross build (test discovery, ctest) and of the scripts that run the
# Windows programs here.
#
#   scripts/wine-run.sh PROGRAM.exe [arguments...]
#
# The Wine prefix is $QM_WINEPREFIX, default ~/.cache/quaymaster-win/wine
# (created at first use, about ten seconds); Wine's own messages are off,
# the Mono and Gecko installers it would offer are never asked for, and its
# server stays up between programs.
set -euo pipefail
export WINEPREFIX="${QM_WINEPREFIX:-${QM_WIN_CACHE:-$HOME/.cache/quaymaster-win}/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=""
for candidate in "${QM_WINE:-}" wine64 /usr/lib/wine/wine64 wine; do
  if [ -n "$candidate" ] && command -v "$candidate" >/dev/null 2>&1; then
    wine=$candidate
    break
  fi
done
[ -n "$wine" ] || { echo "wine-run: Wine is not installed (package wine64)" >&2; exit 127; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Parallel test runs must not create the prefix twice.
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1 || true
  ) 9>"$WINEPREFIX.lock"
fi
# Wine's server stops three seconds after its last program; a program that
# starts while it is stopping can fail at once (seen now and then in
# parallel test runs). One that waits half a minute closes that gap.
for server in wineserver /usr/lib/wine/wineserver; do
  if command -v "$server" >/dev/null 2>&1; then
    "$server" -p30 >/dev/null 2>&1 || true  # fails when one runs already
    break
  fi
done
exec "$wine" "$@"
