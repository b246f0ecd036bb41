// Restarting the computer, through the system's own means. On Windows: the shutdown privilege
// enabled in the process's token, then ExitWindowsEx with EWX_REBOOT. On Linux: `systemctl reboot`.
//
// On Linux the right to restart, which the platform grants by enabling the shutdown privilege in
// the process's token, is polkit's to grant here: systemctl asks logind, which checks it for the
// caller (asking for a password where the policy wants one) and then restarts the system. Root
// needs no such check.
//
// The environment variable QVTOUCH_SYSTEMCTL, when set and not empty, names the program to run
// in place of systemctl, with the same argument; tests name a stand-in there, so that no test
// restarts the machine.
#pragma once

namespace qvtouch::platform {

// Asks for the restart and waits until the request has been made. Nothing is reported: whether
// the system restarts is up to the system.
void RequestSystemRestart();

}  // namespace qvtouch::platform
