#!/usr/bin/env bash
# qvtouch.sys under Wine: installs the driver as a kernel service in a new 64-bit prefix, with its
# Parameters values, starts it, runs the test program's checks against \\.\qvtouch, stops the
# service and checks that the unload ran in order, released all it allocated and removed the
# device, and that the driver starts again afterwards.
#
# Port stays 0, which names no COM port: Wine's serial lookup answers any name with a stand-in
# that fails on the first request, and its HalMakeBeep ends the process, so no test opens a port
# or sounds a tone (see the README).
#
# Usage: wine_test.sh QVTOUCH_SYS PREFIX_DIR PROBE_EXE
# Exits 77 (skipped) when the probe is a 32-bit program and this machine cannot run one.
set -euo pipefail
sys=$(realpath "$1")
export WINEPREFIX=$(realpath -m "$2")
probe=$(realpath "$3")
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine64=/usr/lib/wine/wine64  # Debian's 64-bit loader; its `wine` command is the 32-bit one
wine32=/usr/lib/wine/wine

if file "$probe" | grep -q 'PE32 executable'; then
  "$wine32" --version >/dev/null 2>&1 || {
    echo "skipped: this machine cannot run 32-bit programs, so neither can Wine"
    exit 77
  }
  run_probe() { "$wine32" "$probe" "$@"; }
else
  run_probe() { "$wine64" "$probe" "$@"; }
fi

log=$WINEPREFIX.log
rm -rf "$WINEPREFIX" "$log"
finish() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap finish EXIT

. "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
w64() { "$wine64" "$@" 2>&1 | tr -d '\r'; }
service_state() { w64 sc query QVTouch | awk '/STATE/ { print $4 }'; }

# A new prefix. Services started by a command inherit its output: never a pipe.
"$wine64" wineboot -i >"$log" 2>&1
# Trace the driver's calls into the kernel: services started from now on log them.
w64 reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d 'ntoskrnl.exe.*;hal.dll.*' /f >/dev/null
wineserver -k
wineserver -p  # keep the services running between the commands below
WINEDEBUG=+relay "$wine64" cmd /c exit >"$log" 2>&1

cp "$sys" "$WINEPREFIX/drive_c/windows/system32/drivers/qvtouch.sys"
parameters='HKLM\System\CurrentControlSet\Services\QVTouch\Parameters'
for value in Port=0 BeepFreq1=1500 BeepTime=800 MouseMode=7 ScreenPost=17 RBNDelay=10; do
  w64 reg add "$parameters" /v "${value%=*}" /t REG_DWORD /d "${value#*=}" /f >/dev/null
done
# A 64-bit command creates the service: one created by a 32-bit process would be marked WOW64.
w64 sc create QVTouch type= kernel start= demand error= normal \
  binPath= '\SystemRoot\System32\drivers\qvtouch.sys' >/dev/null

w64 sc start QVTouch >/dev/null
check "the service runs" [ "$(service_state)" = RUNNING ]
for mode in started requests reload; do
  check "probe $mode" run_probe "$mode"
done
device_map=$(w64 reg query 'HKLM\Hardware\DeviceMap\PointerPort' /v '\Device\PointerPort0' || true)
check "the device map names the service key" \
  grep -q 'REG_SZ *\\Registry\\Machine\\System\\CurrentControlSet\\Services\\QVTouch$' <<<"$device_map"

unload_from=$(wc -l <"$log")
w64 sc stop QVTouch >/dev/null
check "the service stops" [ "$(service_state)" = STOPPED ]
check "probe gone" run_probe gone

# The driver's calls during the unload, in order: those of the thread that unloads it.
unloader=$(tail -n +"$unload_from" "$log" | sed -n 's/^\([0-9a-f]*\):Call ntoskrnl\.exe\.ZwUnloadDriver(.*/\1/p')
calls=$(tail -n +"$unload_from" "$log" |
  sed -n "s/^$unloader:Call ntoskrnl\.exe\.\([A-Za-z]*\)(.*/\1/p")
unload_order=$(grep -E '^(KeSetEvent|ZwWaitForSingleObject|IoFreeWorkItem|KeCancelTimer|IoDeleteSymbolicLink|IoDeleteDevice)$' \
  <<<"$calls" | uniq | tr '\n' ' ')
check "unload: worker ended, work item freed, timer cancelled, link and device deleted ($unload_order)" \
  [ "$unload_order" = "KeSetEvent ZwWaitForSingleObject IoFreeWorkItem KeCancelTimer IoDeleteSymbolicLink IoDeleteDevice KeCancelTimer " ]
# Every block the driver took from pool was given back: its allocations' results, and its frees.
allocated=$(awk -F: '
  /:Call ntoskrnl\.exe\.ExAllocatePoolWithTag\(.*,206b6444\)/ { asked[$1] = 1 }
  /:Ret  ntoskrnl\.exe\.ExAllocatePoolWithTag\(\)/ && asked[$1] {
    delete asked[$1]; sub(/.*retval=/, ""); sub(/ .*/, ""); print
  }' "$log" | sort)
freed=$(sed -n 's/.*:Call ntoskrnl\.exe\.ExFreePoolWithTag(\([0-9a-f]*\),206b6444).*/\1/p' "$log" | sort)
check "all pool given back" [ -n "$allocated" -a "$allocated" = "$freed" ]

# Nothing of the first run is left in the way of a second.
w64 sc start QVTouch >/dev/null
check "the service starts again" [ "$(service_state)" = RUNNING ]
w64 sc stop QVTouch >/dev/null

checks_done "qvtouch.sys under Wine"
