#!/usr/bin/env bash
# On the installed system, as root: what an operator (a member of qvtouch), anyone else and root
# may change, tried through the installed programs as the README's table of rights has it. The
# driver host must run for operators' changes (its registry service makes them); without systemd
# this script starts it for the while.
set -euo pipefail
parameters='HKLM\System\CurrentControlSet\Services\QVTouch\Parameters'
. "$(dirname "$0")/people.sh"
fail() {
  echo "rights_test: $*" >&2
  exit 1
}
denied() {  # COMMAND...: must fail with "Access is denied."
  local output
  if output=$("$@" 2>&1); then fail "allowed: $*"; fi
  grep -q 'Access is denied\|access denied' <<<"$output" || fail "$*: $output"
}
value() { qvreg query "$1" /v "$2" 2>/dev/null | awk -v name="$2" '$1 == name { print $3 }'; }

host=
if ! qvtouchctl get-screen-post >/dev/null 2>&1; then
  # Port 0 names no COM port: the host started here opens none of the machine's serial ports.
  qvreg add "$parameters" /v Port /t REG_DWORD /d 0 /f >/dev/null
  /usr/bin/qvtouch 2>/dev/null &
  host=$!
  trap 'kill -TERM "$host"; wait "$host" || true; qvreg delete "$parameters" /v Port /f >/dev/null' EXIT
  for _ in $(seq 50); do qvtouchctl get-screen-post >/dev/null 2>&1 && break; sleep 0.1; done
fi

echo "an operator stores a calibration and the applet's settings"
as_operator qvreg add "$parameters" /v XL /t REG_DWORD /d 3800 /f >/dev/null || fail "no calibration"
[ "$(value "$parameters" XL)" = 0xed8 ] || fail "the operator's calibration is not stored"
as_operator qvtouchctl get-beep >/dev/null || fail "an operator cannot use the control device"

echo "and nothing that names a file, a device or a program"
com1=$(value 'HKLM\Software\QVTouch\Ports' COM1)
denied as_operator qvreg add 'HKLM\Software\QVTouch\Ports' /v COM1 /t REG_SZ /d /dev/pts/5 /f
denied as_operator qvreg add 'HKLM\Software\QVTouch' /v PointerSink /t REG_SZ /d recorder:/etc/passwd /f
denied as_operator qvreg add 'HKLM\Software\QVTouch' /v ToneSink /t REG_SZ /d recorder:/root/x /f
denied as_operator qvreg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v x /t REG_SZ /d '"/tmp/x"' /f
denied as_operator qvreg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v ProgramFilesDir /t REG_SZ /d /tmp /f
denied as_operator qvreg add "$parameters" /v Text /t REG_SZ /d text /f
denied as_operator qvreg add "$parameters" /v Bloat /t REG_DWORD /d 1 /f
qvreg add "$parameters" /v Note /t REG_SZ /d "root's" /f >/dev/null
denied as_operator qvreg delete "$parameters" /v Note /f
[ "$(value "$parameters" Note)" = "root's" ] || fail "an operator removed root's text"
qvreg delete "$parameters" /v Note /f >/dev/null
[ "$(value 'HKLM\Software\QVTouch\Ports' COM1)" = "$com1" ] || fail "COM1 moved"
if as_operator ln -sf /tmp/chosen /var/lib/qvtouch/machine.db 2>/dev/null; then
  fail "an operator replaced the store with a link"
fi

echo "no name that holds a line break"
if qvreg add 'HKLM\Software\QVTouch' /v "$(printf 'Fake\nline')" /t REG_SZ /d x /f >/dev/null 2>&1; then
  fail "a name with a line break was stored"
fi

echo "anyone else reads and changes nothing, and locks nothing that a writer needs"
while IFS= read -r -d '' file; do
  if as_anyone head -c 0 "$file" 2>/dev/null; then fail "anyone else may open $file"; fi
done < <(find /var/lib/qvtouch -type f ! -path /var/lib/qvtouch/machine.db -print0)
as_anyone qvreg query "$parameters" /v XL >/dev/null || fail "a user cannot read the settings"
denied as_anyone qvreg add "$parameters" /v XL /t REG_DWORD /d 1 /f
denied as_anyone qvtouchctl get-beep
[ "$(value "$parameters" XL)" = 0xed8 ] || fail "someone else changed the calibration"

echo "root's programs take no other user's QVTOUCH_ROOT"
theirs=$(as_anyone mktemp -d)
marker=/tmp/qvtouch-rights-marker
rm -f "$marker"
as_anyone env QVTOUCH_ROOT="$theirs" qvreg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' \
  /v theirs /t REG_SZ /d "\"/usr/bin/touch\" $marker" /f >/dev/null
QVTOUCH_ROOT=$theirs qvtouch-runonce || true
rm -rf "$theirs"
if [ -e "$marker" ]; then
  rm -f "$marker"
  fail "root ran another user's RunOnce command"
fi
echo "rights_test: passed"
