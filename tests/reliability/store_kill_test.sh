#!/usr/bin/env bash
# Writers killed at any moment: qvreg adds and imports, each killed with SIGKILL at a random
# point, at least fifty times each. Afterwards every value of every transaction that finished is
# there, every import is there whole or not at all, the store reads without an error for its owner
# and for a user who may only read it, and the driver host starts on it.
# Usage: store_kill_test.sh QVREG QVTOUCH
set -u
qvreg=$1
host=$2
export QVTOUCH_ROOT=$(mktemp -d)
chmod 755 "$QVTOUCH_ROOT"
trap 'rm -rf "$QVTOUCH_ROOT"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
kills=50
values=400  # per import: it takes about as long as an add

# Runs a writer in the background and kills it after a random pause of 0 to 19 ms, about as
# long as a writer lives; prints "killed" or "finished" by how it ended.
kill_at_random() {
  "$@" >/dev/null 2>&1 &
  local writer=$!
  sleep "$(printf '0.%03d' $((RANDOM % 20)))"
  kill -KILL "$writer" 2>/dev/null
  wait "$writer" 2>/dev/null
  case $? in 137) echo killed ;; 0) echo finished ;; *) echo failed ;; esac
}

echo "adds"
killed=0
finished=0
for i in $(seq 5000); do
  case $(kill_at_random "$qvreg" add 'HKLM\Software\Kill' /v "V$i" /t REG_DWORD /d "$i" /f) in
    killed) killed=$((killed + 1)) ;;
    finished)
      finished=$((finished + 1))
      "$qvreg" query 'HKLM\Software\Kill' /v "V$i" >/dev/null 2>&1 ||
        fail "add $i finished but its value is gone" ;;
    *) fail "add $i failed by itself" ;;
  esac
  [ "$killed" -ge "$kills" ] && break
done
echo "  $killed killed, $finished finished"
[ "$killed" -ge "$kills" ] || fail "only $killed adds were killed"

echo "imports"
killed=0
for round in $(seq 1000); do
  file=$QVTOUCH_ROOT/import.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Import\\R%s]\r\n' "$round"
    for i in $(seq "$values"); do printf '"V%s"=dword:%08x\r\n' "$i" "$i"; done
  } >"$file"
  [ "$(kill_at_random "$qvreg" import "$file")" = killed ] && killed=$((killed + 1))
  present=$("$qvreg" query "HKLM\\Software\\Import\\R$round" 2>/dev/null | grep -c REG_DWORD)
  [ "$present" -eq 0 ] || [ "$present" -eq "$values" ] ||
    fail "import $round killed with $present of its $values values applied"
  [ "$killed" -ge "$kills" ] && break
done
echo "  $killed killed"
[ "$killed" -ge "$kills" ] || fail "only $killed imports were killed"

echo "after the kills"
out=$("$qvreg" query 'HKLM\Software' /s 2>&1) || fail "the owner cannot read the store: $out"
if [ "$(id -u)" -eq 0 ]; then
  read=$(setpriv --reuid=nobody --regid=nogroup --clear-groups "$qvreg" query 'HKLM\Software' /s 2>&1) ||
    fail "a reader cannot read the store: $read"
  [ "$read" = "$out" ] || fail "a reader does not see what the owner sees"
fi
"$qvreg" add 'HKLM\Software\Kill' /v After /t REG_DWORD /d 1 /f >/dev/null ||
  fail "the store takes no further write"
"$qvreg" add 'HKLM\Software\QVTouch' /v PointerSink /t REG_SZ /d "recorder:$QVTOUCH_ROOT/pointer" /f >/dev/null
"$qvreg" add 'HKLM\Software\QVTouch' /v ToneSink /t REG_SZ /d "recorder:$QVTOUCH_ROOT/tone" /f >/dev/null
"$host" 2>"$QVTOUCH_ROOT/host.log" &
started=
for _ in $(seq 100); do
  grep -q 'qvtouch: started' "$QVTOUCH_ROOT/host.log" && started=yes && break
  kill -0 $! 2>/dev/null || break
  sleep 0.1
done
kill -TERM $! 2>/dev/null
wait $! 2>/dev/null
[ -n "$started" ] || fail "the driver host did not start: $(cat "$QVTOUCH_ROOT/host.log")"
exit "$failed"
