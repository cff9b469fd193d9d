#!/usr/bin/env bash
# Runs one test command under an X server of its own:
#   tests/support/xvfb-run-test.sh <width>x<height>x<depth> <command> [args...]
# The server picks a free display number itself (-displayfd), so any number of these may start
# at once (xvfb-run -a can hand the same number to two runs started together). Listing a test
# program's cases needs no server.
set -uo pipefail
screen=$1
shift
case " $* " in
  *" --gtest_list_tests "*) exec "$@" ;;
esac

answer=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$answer" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$answer"' EXIT
# The server writes its display number once it accepts clients.
for _ in $(seq 1000); do
  [ -s "$answer" ] && break
  kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.01
done
[ -s "$answer" ] || { echo "Xvfb did not answer" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$answer")" "$@"
