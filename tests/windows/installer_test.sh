#!/usr/bin/env bash
# QVTouchSetup.exe under Wine, run silently, as wine_session.sh runs it (a fresh prefix):
#
#   wine_session.sh installer_test.sh QVTouchSetup.exe QVTOUCH_SYS PROGRAM_BITS PROBE_EXE
#
# Before the installer runs, the test stores a Port that names no COM port (Wine's serial lookup
# answers any name with a stand-in that fails the driver at its first request) and a calibration
# span; the installer keeps both, and writes the other settings' defaults. Then: the files where
# the programs and the system look for them, the driver's service and its values, the driver
# running and published for the mouse class driver, the calibration scheduled as Tollwen schedules
# it (installed_system_test shows that no Tollwen asks); a second installation keeps what was stored; the uninstaller removes
# what was installed and leaves the device gone (PROBE_EXE gone).
set -euo pipefail
installer=$(realpath "$1")
driver=$(realpath "$2")
bits=$3
probe=$(realpath "$4")

. "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
w64() { "$WINE64" "$@" 2>/dev/null | tr -d '\r'; }
# A value as `reg query` shows it ("0x4d2", "Pointer Port"), or nothing: its lines are the name,
# the type and the data, each after four blanks.
value() { w64 reg query "$1" /v "$2" | awk -F '    ' -v name="$2" '$2 == name { print $4 }' || true; }
no_key() { ! "$WINE64" reg query "$1" >/dev/null 2>&1; }
service_state() { w64 sc query QVTouch | awk '/STATE/ { print $4 }'; }

drive=$WINEPREFIX/drive_c
service='HKLM\System\CurrentControlSet\Services\QVTouch'
parameters="$service\\Parameters"
# Where the programs look for each other: under ProgramFilesDir as they read it, in the 32-bit
# view for 32-bit programs (which a prefix without its 32-bit part lacks: then the 64-bit view's
# "ProgramFilesDir (x86)"); and where the Control Panel finds their applet.
current_version='HKLM\Software\Microsoft\Windows\CurrentVersion'
if [ "$bits" = 32 ]; then
  programs_view='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion'
  folder=$(value "$programs_view" ProgramFilesDir)
  [ -n "$folder" ] || folder=$(value "$current_version" 'ProgramFilesDir (x86)')
  applet_folder=syswow64
else
  programs_view=$current_version
  folder=$(value "$current_version" ProgramFilesDir)
  applet_folder=system32
fi
programs=$(w64 winepath -u "$folder\QVSerTouch")
programs=${programs%/}
applet() { find "$drive/windows" -maxdepth 2 -ipath "*/$applet_folder/qvtcpl.cpl"; }
scheduled() { value "$programs_view\RunOnce" qvsercalib; }

w64 reg add "$parameters" /v Port /t REG_DWORD /d 0 /f >/dev/null
w64 reg add "$parameters" /v XL /t REG_DWORD /d 1234 /f >/dev/null
check "the installer succeeds" "$WINE64" "$installer" /S

check "the driver in the system's drivers folder" \
  cmp -s "$driver" "$drive/windows/system32/drivers/qvtouch.sys"
for file in qvsercalib.exe Tollwen.exe uninstall.exe; do
  check "$file in the programs' folder" [ -f "$programs/$file" ]
done
check "the applet where the Control Panel finds it" [ -n "$(applet)" ]
check "the calibration scheduled as Tollwen schedules it" \
  [ "$(scheduled)" = "\"$folder\\QVSerTouch\\qvsercalib.exe\"" ]

check "a kernel driver" [ "$(value "$service" Type)" = 0x1 ]
check "started by the system" [ "$(value "$service" Start)" = 0x1 ]
check "its failure logged" [ "$(value "$service" ErrorControl)" = 0x1 ]
check "in the group Pointer Port" [ "$(value "$service" Group)" = "Pointer Port" ]
check "from the drivers folder" \
  [ "$(value "$service" ImagePath)" = '\SystemRoot\System32\drivers\qvtouch.sys' ]
check "the stored Port kept" [ "$(value "$parameters" Port)" = 0x0 ]
check "the stored span kept" [ "$(value "$parameters" XL)" = 0x4d2 ]
check "a missing setting's default written" [ "$(value "$parameters" BeepFreq1)" = 0x7d0 ]
check "the placement's default written" [ "$(value "$parameters" ScreenPost)" = 0x10 ]

check "the driver runs" [ "$(service_state)" = RUNNING ]
check "the driver's pointer port is published for the mouse class driver" \
  [ -n "$(value 'HKLM\Hardware\DeviceMap\PointerPort' '\Device\PointerPort0')" ]

w64 reg add "$parameters" /v Xc /t REG_DWORD /d 2048 /f >/dev/null
check "a second installation succeeds" "$WINE64" "$installer" /S
check "a second installation keeps the calibration" \
  [ "$(value "$parameters" Xc):$(value "$parameters" XL)" = 0x800:0x4d2 ]
check "the driver runs again" [ "$(service_state)" = RUNNING ]

# In place (_?=), so that the test can wait for its work: left to itself the uninstaller hands the
# work to a copy of itself and ends at once. _?= must stand unquoted, so it runs from a batch file.
printf '"%s\\uninstall.exe" /S _?=%s\r\n' "$folder\\QVSerTouch" "$folder\\QVSerTouch" \
  >"$drive/uninstall.bat"
check "the uninstaller succeeds" "$WINE64" cmd /c 'C:\uninstall.bat'
check "the service is gone" no_key "$service"
check "the driver file is gone" [ ! -e "$drive/windows/system32/drivers/qvtouch.sys" ]
check "the programs are gone" [ "$(ls "$programs")" = uninstall.exe ]
check "the applet is gone" [ -z "$(applet)" ]
check "the scheduled calibration is gone" [ -z "$(scheduled)" ]
check "the uninstall entry is gone" \
  no_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QVTouch'
check "the control device is gone" "$WINE64" "$probe" gone

checks_done "QVTouchSetup.exe under Wine"
