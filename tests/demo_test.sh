#!/usr/bin/env bash
# The README's first command ends by itself, within a time limit, and prints the session's events:
# the tap's left press and release, the drag's moves, the held touch's right press and release,
# and the tones.
# Usage: tests/demo_test.sh   (from anywhere; it runs the repository's scripts/demo)
set -u
cd "$(dirname "$0")/.."
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Its own session, so that a demo that never ends can be stopped with everything it started.
setsid timeout --kill-after=10 120 scripts/demo </dev/null >"$out" 2>&1
status=$?
failed=0
fail() { echo "FAIL: $*"; failed=1; }
count() { grep -c -F -- "$1" "$out"; }

[ "$status" -eq 0 ] || fail "scripts/demo exited with $status (124: it did not end within 120 s)"
# The tap in the middle of the screen (controller 2048, 2048 on a calibrated 4096 x 4096 panel).
[ "$(count '"buttons":1,"x":32768,"y":32768}')" -ge 1 ] || fail "no left press of the tap"
[ "$(count '"buttons":2,"x":32768,"y":32768}')" -ge 1 ] || fail "no left release of the tap"
# The drag from (800, 800) to (3200, 3200): moves along the diagonal.
moves=$(grep -E '"buttons":0,"x":([0-9]+),"y":\1}' "$out" | sort -u | wc -l)
[ "$moves" -ge 10 ] || fail "the drag gave $moves moves along the diagonal, not 10 or more"
# The touch held still at (1200, 3000): a right click where it rests.
[ "$(count '"buttons":4,"x":18144,"y":49186}')" -eq 1 ] || fail "no single right press"
[ "$(count '"buttons":8,"x":18144,"y":49186}')" -eq 1 ] || fail "no single right release"
[ "$(count '{"event":"tone","freq":2000}')" -ge 1 ] || fail "no tone"
[ "$(count '{"event":"tone","freq":0}')" -ge 1 ] || fail "the tone never stopped"

if [ "$failed" -ne 0 ]; then
  echo "scripts/demo printed:"
  cat "$out"
fi
exit "$failed"
