#include "tests/rebootprompt/run_once_test_support.h"

#include <cstdlib>
#include <fstream>

#include "common/registry_paths.h"
#include "platform/paths/paths.h"
#include "tests/support/store_values.h"

namespace qvtouch::rebootprompt::testing {

RunOnceStoreTest::RunOnceStoreTest() {
  std::filesystem::create_directories(Records());
  std::filesystem::permissions(Records(), std::filesystem::perms::all);
  const auto systemctl = Root() / "bin" / "systemctl";
  InstallRecorder(systemctl, SystemctlRecord());
  ::setenv("QVTOUCH_SYSTEMCTL", systemctl.c_str(), 1);
}

RunOnceStoreTest::~RunOnceStoreTest() {
  ::unsetenv("QVTOUCH_SYSTEMCTL");
}

std::filesystem::path RunOnceStoreTest::Root() {
  return platform::SystemRoot();
}

std::filesystem::path RunOnceStoreTest::Records() {
  return Root() / "records";
}

void RunOnceStoreTest::SetProgramFilesDir(const std::string& folder) {
  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, std::string(kCurrentVersionKey),
                                   std::string(kProgramFilesDirValue), folder);
}

void RunOnceStoreTest::CreateCurrentVersionKey() {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kCurrentVersionKey).c_str(), 0, nullptr,
                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegCloseKey(key);
}

std::optional<std::string> RunOnceStoreTest::RunOnceValue(const std::string& name) {
  return qvtouch::testing::StoredString(HKEY_LOCAL_MACHINE, std::string(kRunOnceKey), name);
}

std::optional<std::uint32_t> RunOnceStoreTest::RunOnceValueCount() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(kRunOnceKey).c_str(), 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD values = 0;
  const LSTATUS status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::optional<std::uint32_t>(values) : std::nullopt;
}

void RunOnceStoreTest::SetRunOnceValue(const std::string& name, const std::string& commandLine) {
  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, std::string(kRunOnceKey), name, commandLine);
}

void RunOnceStoreTest::InstallRecorder(const std::filesystem::path& program,
                                       const std::filesystem::path& record, int exitStatus) {
  std::filesystem::create_directories(program.parent_path());
  std::ofstream(program) << "#!/bin/sh\nIFS='|'\necho \"$*\" >> '" << record.string() << "'\nexit "
                         << exitStatus << "\n";
  using std::filesystem::perms;
  std::filesystem::permissions(program, perms::owner_all | perms::group_read | perms::group_exec |
                                            perms::others_read | perms::others_exec);
}

void RunOnceStoreTest::InstallCalibrationProgram(const std::filesystem::path& folder) {
  InstallRecorder(folder / "QVSerTouch" / "qvsercalib", CalibrationRecord());
}

std::vector<std::string> RunOnceStoreTest::CalibrationRuns() {
  return RecordLines(CalibrationRecord());
}

std::vector<std::string> RunOnceStoreTest::SystemctlRuns() {
  return RecordLines(SystemctlRecord());
}

std::vector<std::string> RunOnceStoreTest::RecordLines(const std::filesystem::path& record) {
  std::vector<std::string> lines;
  std::ifstream in(record);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace qvtouch::rebootprompt::testing
