#include "rebootprompt/calibration_schedule.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "common/program_paths.h"
#include "common/registry_paths.h"
#include "platform/registry/winreg.h"

namespace qvtouch::rebootprompt {
namespace {

using PathBuffer = std::array<char, kMaxPath>;

constexpr char kQuote = '"';

// ProgramFilesDir into the buffer, which stays empty when the value is missing. False when the
// folder is longer than the buffer holds: what the platform leaves in the buffer then (nothing)
// is not the folder.
bool ReadProgramFilesDir(HKEY key, PathBuffer& folder) {
  // The last byte stays zero, so the text is terminated whatever the value holds.
  DWORD size = folder.size() - 1;
  return RegQueryValueExA(key, std::string(kProgramFilesDirValue).c_str(), nullptr, nullptr,
                          reinterpret_cast<LPBYTE>(folder.data()), &size) != ERROR_MORE_DATA;
}

// "<folder>\QVSerTouch\qvsercalib.exe", quotes included; false when it does not fit.
bool BuildCommandLine(const PathBuffer& folder, PathBuffer& commandLine) {
  const std::string_view folderText(folder.data());
  const std::size_t length = folderText.size() + kCalibrationProgramPath.size() + 2;
  if (length >= commandLine.size()) return false;
  char* end = commandLine.data();
  *end++ = kQuote;
  end += folderText.copy(end, folderText.size());
  end += kCalibrationProgramPath.copy(end, kCalibrationProgramPath.size());
  *end++ = kQuote;
  *end = '\0';
  return true;
}

}  // namespace

void ScheduleCalibration() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(kCurrentVersionKey).c_str(), 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return;
  }
  PathBuffer folder{};
  const bool folderRead = ReadProgramFilesDir(key, folder);
  RegCloseKey(key);

  PathBuffer commandLine{};
  if (!folderRead || !BuildCommandLine(folder, commandLine)) return;

  HKEY runOnce = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kRunOnceKey).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &runOnce,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(runOnce, kRunOnceValueName, 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(commandLine.data()),
                 static_cast<DWORD>(std::strlen(commandLine.data()) + 1));
  RegCloseKey(runOnce);
}

}  // namespace qvtouch::rebootprompt
