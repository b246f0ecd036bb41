#!/usr/bin/env bash
# Installs the Debian package on this machine for real, as root: twice (an upgrade in place), once
# more over the store of an earlier version, then removes and reinstalls it, then purges it. The
# group, the store's access and initial values, the enabled unit and a stored calibration are
# checked on the way. Changes the machine: CI runs it
# on a throwaway one.
# Usage: tests/packaging/install_test.sh [BUILD_DIR]   (default build/release, after cpack)
set -euo pipefail
build=${1:-build/release}
package=$(realpath "$(ls "$build"/qvtouch_*.deb)")
parameters='HKLM\System\CurrentControlSet\Services\QVTouch\Parameters'

fail() {
  echo "install_test: $*" >&2
  exit 1
}
install_package() {
  local output
  output=$(DEBIAN_FRONTEND=noninteractive apt-get install --reinstall -y -qq \
    --no-install-recommends "$package" 2>&1) || fail "the package did not install: $output"
}
calibration() { qvreg query "$parameters" /v Xc 2>/dev/null | awk '$1 == "Xc" { print $3 }'; }

echo "install"
install_package
getent group qvtouch >/dev/null || fail "no qvtouch group"
[ "$(stat -c %U:%G:%a /var/lib/qvtouch)" = root:root:755 ] || fail "the store's folder is not root's alone"
[ "$(stat -c %U:%G:%a /var/lib/qvtouch/hive)" = root:root:700 ] || fail "others may enter the store's own folder"
[ "$(stat -c %U:%G:%a /var/lib/qvtouch/machine.db)" = root:root:644 ] || fail "the copy for readers is not root's alone"
[ ! -e /usr/lib/udev/rules.d/60-qvtouch.rules ] || fail "a device rule gives the group devices"
[ -L /etc/systemd/system/multi-user.target.wants/qvtouch.service ] || fail "the unit is not enabled"
qvreg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v ProgramFilesDir | grep -q /usr/lib/qvtouch ||
  fail "ProgramFilesDir does not name the installed programs"

echo "the rights of root, an operator and anyone else"
"$(dirname "$0")/rights_test.sh"

echo "upgrade in place keeps the calibration"
qvreg add "$parameters" /v Xc /t REG_DWORD /d 1234 /f >/dev/null
install_package
[ "$(calibration)" = 0x4d2 ] || fail "the upgrade lost the calibration"

echo "an upgrade moves an earlier version's store into its own folder"
# Earlier versions kept the store itself where its copy for readers lies now.
mv /var/lib/qvtouch/hive/machine.db /var/lib/qvtouch/machine.db
if [ -e /var/lib/qvtouch/hive/machine.db-wal ]; then mv /var/lib/qvtouch/hive/machine.db-wal /var/lib/qvtouch/; fi
rm -rf /var/lib/qvtouch/hive
install_package
[ "$(calibration)" = 0x4d2 ] || fail "the upgrade from the earlier store lost the calibration"
[ "$(stat -c %a /var/lib/qvtouch/hive)" = 700 ] || fail "the earlier store did not move into its own folder"
[ ! -e /var/lib/qvtouch/machine.db-wal ] || fail "the earlier store's log stayed beside its copy"

echo "remove and reinstall"
dpkg --remove qvtouch >/dev/null
[ ! -e /usr/bin/qvtouch ] || fail "the driver host outlived the removal"
[ -e /var/lib/qvtouch/machine.db ] || fail "the removal took the stored settings"
install_package
[ "$(calibration)" = 0x4d2 ] || fail "the reinstallation lost the calibration"

echo "purge"
dpkg --purge qvtouch >/dev/null
[ ! -e /var/lib/qvtouch ] || fail "the purge left the stored settings"
[ ! -e /etc/systemd/system/multi-user.target.wants/qvtouch.service ] || fail "the purge left the unit enabled"
echo "install_test: passed"
