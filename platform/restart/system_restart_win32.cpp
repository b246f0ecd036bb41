#include "platform/restart/system_restart.h"

#include <windows.h>

namespace qvtouch::platform {

// The shutdown privilege enabled in this process's token, then the restart. No result is
// examined: whether the system restarts is up to the system.
void RequestSystemRestart() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
  TOKEN_PRIVILEGES privileges{};
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  ExitWindowsEx(EWX_REBOOT, 0xFFFFFFFF);
  if (token != nullptr) CloseHandle(token);
}

}  // namespace qvtouch::platform
