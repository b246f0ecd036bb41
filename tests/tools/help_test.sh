#!/usr/bin/env bash
# Every command-line program answers --help with its usage on standard output and exit status 0,
# and does nothing else: the RunOnce runner, for one, runs no command.
# Usage: help_test.sh PROGRAM...
set -u
export QVTOUCH_ROOT=$(mktemp -d)
trap 'rm -rf "$QVTOUCH_ROOT"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

answers_help() {  # PROGRAM ARGUMENT
  local out err status
  out=$("$1" "$2" 2>"$QVTOUCH_ROOT/err" </dev/null); status=$?
  err=$(cat "$QVTOUCH_ROOT/err")
  [ "$status" -eq 0 ] || fail "$1 $2 exited with $status: $err"
  grep -q -i 'usage\|qvreg' <<<"$out" || fail "$1 $2 printed no usage on standard output: $out"
  [ -z "$err" ] || fail "$1 $2 wrote on standard error: $err"
}

for program in "$@"; do
  answers_help "$program" --help
  [ "$(basename "$program")" = qvreg ] && answers_help "$program" '/?'
  case "$(basename "$program")" in
    qvtouch-sim)
      why=$("$program" --pty /no/such/dir/link </dev/null 2>&1)
      grep -q 'No such file or directory' <<<"$why" || fail "qvtouch-sim --pty says: $why" ;;
    qvtouch-runonce)
      "$program" --now >/dev/null 2>&1; status=$?
      [ "$status" -eq 2 ] || fail "qvtouch-runonce --now exited with $status, not 2 (usage)" ;;
  esac
done
[ ! -e "$QVTOUCH_ROOT/var" ] || fail "asking for help touched the settings store"
exit "$failed"
