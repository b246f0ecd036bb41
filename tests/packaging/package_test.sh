#!/usr/bin/env bash
# The Debian package, unpacked into a throwaway root: its layout and maintainer scripts, the
# store's initial values (written twice, keeping what was changed in between), then the installed
# programs at work on a private store and an X server of the test's own: the driver host started
# as its unit starts it, with the controller simulator on a pty as COM1; Tollwen answered "No";
# the RunOnce runner starting the installed calibration program.
# Usage: tests/packaging/package_test.sh [BUILD_DIR]   (default build/release, after cpack)
set -euo pipefail
build=${1:-build/release}
package=$(ls "$build"/qvtouch_*.deb)
work=$(mktemp -d)
pids=()
cleanup() {
  kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "package_test: $*" >&2
  exit 1
}
# Polls a command for up to 20 seconds.
await() {
  for _ in $(seq 200); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "gave up waiting for: $*"
}

fs=$work/fs
dpkg-deb -x "$package" "$fs"
dpkg-deb -e "$package" "$work/control"

echo "layout"
for file in /usr/bin/qvtouch /usr/bin/qvreg /usr/bin/qvtouchctl /usr/bin/qvtouch-runonce \
  /usr/bin/Tollwen /usr/bin/control /usr/bin/qvsercalib /usr/lib/qvtouch/QVSerTouch/qvsercalib \
  /usr/lib/qvtouch/initial-store /usr/lib/systemd/system/qvtouch.service \
  /usr/lib/udev/rules.d/90-qvtouch-speaker.rules \
  /usr/share/applications/qvtouch-settings.desktop \
  /usr/share/applications/qvsercalib.desktop /etc/xdg/autostart/qvtouch-runonce.desktop; do
  [ -e "$fs$file" ] || fail "the package lacks $file"
done
ls "$fs"/usr/lib/qvtouch/applets/*.so >/dev/null || fail "the package lacks the applet library"
[ "$(readlink -f "$fs/usr/bin/qvsercalib")" = "$fs/usr/lib/qvtouch/QVSerTouch/qvsercalib" ] ||
  fail "qvsercalib on the PATH is not the installed calibration program"
for script in postinst prerm postrm; do
  [ -x "$work/control/$script" ] || fail "the package lacks its $script"
done
grep -q '^Depends:.*libqt6widgets6' "$work/control/control" || fail "no dependency on Qt"

echo "initial store"
export QVTOUCH_ROOT=$work/root
qvreg=$fs/usr/bin/qvreg
# The data of one value as qvreg shows it: everything after its name and type.
value() {
  "$qvreg" query "$1" /v "$2" | awk -v name="$2" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'
}
expect_value() {
  local found
  found=$(value "$1" "$2")
  [ "$found" = "$3" ] || fail "$1 $2 is '$found', not '$3'"
}
current='HKLM\Software\Microsoft\Windows\CurrentVersion'
ports='HKLM\Software\QVTouch\Ports'
parameters='HKLM\System\CurrentControlSet\Services\QVTouch\Parameters'
"$fs/usr/lib/qvtouch/initial-store"
expect_value "$current" ProgramFilesDir "$fs/usr/lib/qvtouch"
for n in 1 2 3 4; do expect_value "$ports" "COM$n" "/dev/ttyS$((n - 1))"; done
"$qvreg" query "$parameters" >/dev/null || fail "no driver settings key"
# An upgrade writes them again: a calibration, a moved port and a moved program folder stay.
"$qvreg" add "$parameters" /v Xc /t REG_DWORD /d 1234 /f >/dev/null
"$qvreg" add "$ports" /v COM2 /t REG_SZ /d /dev/ttyUSB0 /f >/dev/null
"$qvreg" add "$current" /v ProgramFilesDir /t REG_SZ /d /opt/qvtouch /f >/dev/null
"$fs/usr/lib/qvtouch/initial-store"
expect_value "$parameters" Xc 0x4d2
expect_value "$ports" COM2 /dev/ttyUSB0
expect_value "$current" ProgramFilesDir /opt/qvtouch
"$qvreg" add "$current" /v ProgramFilesDir /t REG_SZ /d "$fs/usr/lib/qvtouch" /f >/dev/null

echo "driver host as its unit starts it"
line=$QVTOUCH_ROOT/ttyCOM1
"$qvreg" add "$ports" /v COM1 /t REG_SZ /d "$line" /f >/dev/null
"$qvreg" add 'HKLM\Software\QVTouch' /v PointerSink /t REG_SZ /d "recorder:$work/pointer" /f >/dev/null
"$qvreg" add 'HKLM\Software\QVTouch' /v ToneSink /t REG_SZ /d "recorder:$work/tone" /f >/dev/null
"$build/tools/sim/qvtouch-sim" --pty "$line" --linger --screen 1024x768 </dev/null &
pids+=($!)
exec_start=$(sed -n 's/^ExecStart=//p' "$fs/usr/lib/systemd/system/qvtouch.service")
"$fs$exec_start" 2>"$work/host.log" &
host=$!
pids+=("$host")
await "$fs/usr/bin/qvtouchctl" pass-through "" --reply 0

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
pids+=($!)
await test -s "$work/display"
mkdir -m 700 "$work/runtime"
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime

echo "Tollwen answered No"
printf '#!/bin/sh\necho "$@" >"%s"\n' "$work/restarted" >"$work/systemctl"
chmod +x "$work/systemctl"
QVTOUCH_SYSTEMCTL=$work/systemctl "$fs/usr/bin/Tollwen" &
tollwen=$!
pids+=("$tollwen")
await xdotool search --name '^QVHWTOUCH SETUP$'
expect_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' qvsercalib \
  "\"$fs/usr/lib/qvtouch\\QVSerTouch\\qvsercalib.exe\""
dialog=$(xdotool search --name '^QVHWTOUCH SETUP$' | head -1)
xdotool mousemove --window "$dialog" 10 10 key Escape
await sh -c "! kill -0 $tollwen"
[ ! -e "$work/restarted" ] || fail "No restarted the machine"

echo "RunOnce starts the installed calibration program"
"$fs/usr/bin/qvtouch-runonce" &
runner=$!
pids+=("$runner")
await xdotool search --name '^QUVO TOUCH CALIBRAY$'
"$qvreg" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v qvsercalib \
  >/dev/null 2>&1 && fail "the RunOnce value outlived its run"
calibration=$(xdotool search --name '^QUVO TOUCH CALIBRAY$' | head -1)
xdotool mousemove --window "$calibration" 10 10 key Escape
await sh -c "! kill -0 $runner"
wait "$runner" || fail "the runner failed"

kill -TERM "$host"
wait "$host" || fail "the driver host did not stop cleanly: $(cat "$work/host.log")"
echo "package_test: passed"
