#include "calib/scale_indexes.h"

#include <string>

#include "common/registry_paths.h"
#include "platform/registry/winreg.h"

namespace qvtouch::calib {
namespace {

std::optional<std::uint32_t> QueryIndex(HKEY key, const char* name) {
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

MonitorScaleIndexes ReadMonitorScaleIndexes() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(kParametersKey).c_str(), 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return {};
  }
  MonitorScaleIndexes indexes{QueryIndex(key, "PrimaryScale"), QueryIndex(key, "SlaveScale")};
  RegCloseKey(key);
  return indexes;
}

}  // namespace qvtouch::calib
