// What the tests of Tollwen and the RunOnce runner share: a store of their own, the values they
// meet in it, and stand-in programs that note each run in a record file. Every test runs with
// QVTOUCH_SYSTEMCTL naming a stand-in, so that no test restarts the machine.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/calib/store_root.h"

namespace qvtouch::rebootprompt::testing {

class RunOnceStoreTest : public calib::testing::StoreRootTest {
 protected:
  RunOnceStoreTest();
  ~RunOnceStoreTest() override;

  static std::filesystem::path Root();
  // Where the stand-ins write their records: open to every user.
  static std::filesystem::path Records();

  static void SetProgramFilesDir(const std::string& folder);
  static void CreateCurrentVersionKey();
  static std::optional<std::string> RunOnceValue(const std::string& name);
  // How many values the RunOnce key holds; none when there is no such key.
  static std::optional<std::uint32_t> RunOnceValueCount();
  static void SetRunOnceValue(const std::string& name, const std::string& commandLine);

  // A program at `program` that appends its arguments to `record` as one line, separated by '|',
  // and exits with the status.
  static void InstallRecorder(const std::filesystem::path& program,
                              const std::filesystem::path& record, int exitStatus = 0);
  // The calibration program's stand-in under folder/QVSerTouch, recording into CalibrationRuns.
  static void InstallCalibrationProgram(const std::filesystem::path& folder);
  static std::vector<std::string> CalibrationRuns();
  // The arguments of each run of the systemctl stand-in.
  static std::vector<std::string> SystemctlRuns();
  // The lines of a record; none when it does not exist.
  static std::vector<std::string> RecordLines(const std::filesystem::path& record);

 private:
  static std::filesystem::path SystemctlRecord() { return Records() / "systemctl"; }
  static std::filesystem::path CalibrationRecord() { return Records() / "qvsercalib"; }
};

}  // namespace qvtouch::rebootprompt::testing
