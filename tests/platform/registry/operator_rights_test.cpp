// What an operator may change in the machine hive, through the registry service, and what no one
// but root may: the rights table of the README, tried by children that run as other users.
#include <grp.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string>

#include "common/registry_paths.h"
#include "platform/registry/hive.h"
#include "platform/registry/registry_service.h"
#include "tests/platform/registry/registry_test_support.h"

namespace qvtouch::platform::test {
namespace {

const std::string kParameters(kParametersKey);
constexpr const char* kPorts = R"(Software\QVTouch\Ports)";
constexpr const char* kHostSettings = R"(Software\QVTouch)";
const std::string kRunOnce(kRunOnceKey);

LSTATUS SetDwordAt(const std::string& path, const char* name, DWORD value) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
  RegCloseKey(key);
  return status;
}

// Sets a text value as qvreg add does: the key opened, or made, for setting values.
LSTATUS AddString(const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return status;
}

class OperatorRights : public RegistryTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run children as other users";
    operator_ = NobodyAsOperator();
    if (!operator_) GTEST_SKIP() << "needs the group qvtouch (scripts/test makes it)";
    // The installed store: the driver's settings key with a calibration, a COM port, the sinks.
    HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
    SetDword(key, "XL", 800);
    RegCloseKey(key);
    key = CreateKey(HKEY_LOCAL_MACHINE, kPorts);
    SetString(key, "COM1", "/dev/ttyS0");
    RegCloseKey(key);
    std::string error;
    service_ = RegistryService::Start(error);
    ASSERT_TRUE(service_) << error;
  }

  std::optional<Identity> operator_;
  std::unique_ptr<RegistryService> service_;
};

TEST_F(OperatorRights, AnOperatorStoresTheDriversSettingsAndNothingElse) {
  const auto results = ResultsAs(*operator_, [] {
    const DWORD value = 1;
    return std::vector<LSTATUS>{
        SetDwordAt(kParameters, "XL", 3800),                 // a calibration
        SetDwordAt(kParameters, "BeepTime1", 100),           // the applet's settings
        AddString(kParameters, "Note", "text"),              // no text at all
        AddString(kPorts, "COM1", "/dev/pts/5"),             // a terminal as the touch screen
        AddString(kHostSettings, "PointerSink", "recorder:/etc/passwd"),
        AddString(kRunOnce, "evil", R"("/tmp/evil")"),       // a command for root's logon
        AddString(R"(Software\New)", "A", "b"),
        RegSetValueExA(HKEY_LOCAL_MACHINE, "Top", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value),
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPorts),
    };
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
                                           ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                                           ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                                           ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED}));
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  EXPECT_EQ(QueryDword(key, "XL"), 3800u);
  EXPECT_EQ(QueryDword(key, "BeepTime1"), 100u);
  RegCloseKey(key);
  HKEY ports = CreateKey(HKEY_LOCAL_MACHINE, kPorts);
  std::array<char, 64> text{};
  DWORD size = text.size();
  EXPECT_EQ(RegQueryValueExA(ports, "COM1", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text.data()), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text.data(), "/dev/ttyS0");
  RegCloseKey(ports);
}

TEST_F(OperatorRights, SomeoneElseChangesNothingEvenThroughTheService) {
  const auto results = ResultsAs(Nobody(), [] {
    const HiveChange calibrate = HiveChange::SetValue(kParameters, "XL", REG_DWORD, {1, 0, 0, 0});
    return std::vector<LSTATUS>{SetDwordAt(kParameters, "XL", 1),
                                SendToRegistryService(std::span(&calibrate, 1)).Status};
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED}));
}

// A program that skips its own checks and asks the service directly gets no further.
TEST_F(OperatorRights, TheServiceHoldsAnOperatorToTheRightsWhateverTheRequest) {
  const auto results = ResultsAs(*operator_, [] {
    const std::array<HiveChange, 2> changes{
        HiveChange::SetValue(kParameters, "XL", REG_DWORD, {1, 0, 0, 0}),
        HiveChange::SetValue(kPorts, "COM1", REG_SZ, {'/', 0}),
    };
    const ChangeResult result = SendToRegistryService(changes);
    return std::vector<LSTATUS>{result.Status, static_cast<LSTATUS>(result.Refused.value_or(9))};
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_ACCESS_DENIED, 1}));
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  EXPECT_EQ(QueryDword(key, "XL"), 800u) << "nothing of a refused request is applied";
  RegCloseKey(key);
}

// Anyone may read the machine hive; holding a read transaction open holds up no writer.
TEST_F(OperatorRights, AReaderThatHoldsTheStoreOpenHoldsUpNoWriter) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const Identity reader = Nobody();
  const pid_t child = StartChild([&]() -> int {
    if (setgroups(0, nullptr) != 0 || setresgid(reader.Group, reader.Group, reader.Group) != 0 ||
        setresuid(reader.User, reader.User, reader.User) != 0) {
      return 1;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(HiveFile(Hive::LocalMachine).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_exec(db, "BEGIN; SELECT count(*) FROM reg_value;", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
      return 2;
    }
    const char held = 1;
    if (write(ready[1], &held, 1) != 1) return 3;
    pause();  // holds the read transaction until killed
    return 0;
  });
  close(ready[1]);
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1) << "the reader could not read the store";
  close(ready[0]);
  // A writer held up would fail with ERROR_BUSY once the store's busy time-out had passed.
  EXPECT_EQ(SetDwordAt(kParameters, "XL", 4000), ERROR_SUCCESS);
  kill(child, SIGKILL);
  WaitForChild(child);
}

}  // namespace
}  // namespace qvtouch::platform::test
