#!/usr/bin/env bash
# Runs a GUI test program on a display. With $DISPLAY set, that display is
# used; otherwise a private Xvfb is started for this one run (its number is
# chosen by the server itself, so parallel runs never collide) and stopped
# afterwards. Listing the tests needs no display.
#
#   run-with-display.sh PROGRAM [ARGS...]
set -uo pipefail

for arg in "$@"; do
  [ "$arg" = "--gtest_list_tests" ] && exec "$@"
done

# No accessibility bus in a test display: GTK would wait for it.
export NO_AT_BRIDGE=1 GTK_A11Y=none GDK_BACKEND=x11

if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi

command -v Xvfb >/dev/null || { echo "run-with-display: Xvfb is missing (scripts/install-deps.sh)" >&2; exit 1; }
work=$(mktemp -d /tmp/qm-display.XXXXXX)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() {
  kill -TERM "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 400); do
  if [ -s "$work/display" ] && grep -q '^[0-9][0-9]*$' "$work/display"; then break; fi
  kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.025
done
grep -q '^[0-9][0-9]*$' "$work/display" || { echo "run-with-display: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
# The tests may start a window manager of their own on this display.
export QM_TEST_OWN_DISPLAY=1
"$@"
status=$?
exit $status
