// The calibration's storage and the monitor-size indexes, against a real store.
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "calib/calibration_store.h"
#include "calib/computation.h"
#include "calib/scale_indexes.h"
#include "common/registry_paths.h"
#include "platform/registry/winreg.h"
#include "tests/calib/store_root.h"
#include "tests/support/store_values.h"

namespace qvtouch::calib {
namespace {

const std::string kParameters(kParametersKey);

using Values = std::vector<std::pair<std::string, std::int32_t>>;

// The key's REG_DWORD values in the order they were created; empty without the key.
Values StoredValues() {
  Values values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, KEY_QUERY_VALUE, &key) != 0) {
    return values;
  }
  for (DWORD index = 0;; ++index) {
    std::array<char, 64> name{};
    DWORD nameSize = name.size();
    DWORD type = 0;
    std::int32_t data = 0;
    DWORD dataSize = sizeof data;
    if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type,
                      reinterpret_cast<LPBYTE>(&data), &dataSize) != ERROR_SUCCESS) {
      break;
    }
    values.emplace_back(name.data(), data);
  }
  RegCloseKey(key);
  return values;
}

// The quarter-turn example: orientation 270, which the store must not receive.
Calibration QuarterTurn() {
  PassPoints points;
  points.TopLeft = {1000, 3000};
  points.BottomRight = {3000, 1000};
  points.BottomLeft = {3000, 3000};
  points.TopRight = {1000, 1000};
  return std::get<Calibration>(
      ComputeCalibration(CalibrationMethod::FourCorner, points, {{1280, 1024}, {1024, 768}}));
}

struct Message {
  std::string Text;
  std::string Caption;
};

using CalibrationStore = testing::StoreRootTest;

TEST_F(CalibrationStore, WritesTheEightValuesInOrderAndNeverTheOrientation) {
  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, kParameters, "Port", 2);
  std::vector<Message> shown;
  StoreCalibration(QuarterTurn(), [&shown](std::string_view text, std::string_view caption) {
    shown.push_back({std::string(text), std::string(caption)});
  });
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(StoredValues(), (Values{{"Port", 2},
                                    {"Xc", 2000},
                                    {"XL", 4000},
                                    {"Yc", 2000},
                                    {"YL", -4000},
                                    {"Shp", 2275},
                                    {"Shs", 1820},
                                    {"Svp", 4096},
                                    {"Svs", 3072}}));
}

TEST_F(CalibrationStore, WithoutTheKeyShowsTheMessageAndCreatesNothing) {
  std::vector<Message> shown;
  StoreCalibration(QuarterTurn(), [&shown](std::string_view text, std::string_view caption) {
    shown.push_back({std::string(text), std::string(caption)});
  });
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Text, "To do this opration should have administrators privilege.");
  EXPECT_EQ(shown[0].Caption, "Error");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(CalibrationStore, AUserWithoutTheRightToSetValuesIsShownTheMessageAndNothingIsWritten) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a child as another user";
  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, kParameters, "Port", 2);
  const Calibration calibration = QuarterTurn();
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::setgroups(0, nullptr) != 0 ||
        ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) != 0 ||
        ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) != 0) {
      ::_exit(1);
    }
    StoreCalibration(calibration, [&](std::string_view text, std::string_view caption) {
      const std::string shown = std::string(text) + '|' + std::string(caption);
      if (::write(channel[1], shown.data(), shown.size()) < 0) ::_exit(1);
    });
    ::_exit(0);
  }
  ::close(channel[1]);
  std::array<char, 256> shown{};
  const ssize_t got = ::read(channel[0], shown.data(), shown.size());
  ::close(channel[0]);
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(std::string(shown.data(), got > 0 ? static_cast<std::size_t>(got) : 0),
            "To do this opration should have administrators privilege.|Error");
  EXPECT_EQ(StoredValues(), (Values{{"Port", 2}}));
}

using MonitorScaleStore = testing::StoreRootTest;

TEST_F(MonitorScaleStore, ReadsBothIndexesAndTakesAnythingUnreadableAsNone) {
  EXPECT_EQ(ReadMonitorScaleIndexes().PrimaryScale, std::nullopt) << "no key";

  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, kParameters, "PrimaryScale", 6);
  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, kParameters, "SlaveScale", 2);
  MonitorScaleIndexes indexes = ReadMonitorScaleIndexes();
  EXPECT_EQ(indexes.PrimaryScale, 6u);
  EXPECT_EQ(indexes.SlaveScale, 2u);

  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, kParameters, "PrimaryScale", "6");
  indexes = ReadMonitorScaleIndexes();
  EXPECT_EQ(indexes.PrimaryScale, std::nullopt) << "not a REG_DWORD";
  EXPECT_EQ(indexes.SlaveScale, 2u);
}

}  // namespace
}  // namespace qvtouch::calib
