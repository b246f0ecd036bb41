// What an operator may change in the machine hive, through the registry service, and what no one
// but root may: the rights table of the README, tried by children that run as other users.
#include <grp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <iostream>
#include <memory>
#include <string>

#include "common/little_endian.h"
#include "common/registry_paths.h"
#include "platform/posix/unix_socket.h"
#include "platform/registry/change_wire.h"
#include "platform/registry/hive.h"
#include "platform/registry/registry_client.h"
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
  status =
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return status;
}

LSTATUS DeleteValueAt(const std::string& path, const char* name) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key);
  if (status != ERROR_SUCCESS) return status;
  status = RegDeleteValueA(key, name);
  RegCloseKey(key);
  return status;
}

// The soft limit on open descriptors raised to the hard one, for a process that holds many
// connections.
void AllowManyDescriptors() {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

// A connection to the registry service, or an invalid one.
UniqueFd ConnectToService() {
  const auto address = SocketAddress(RegistryServiceSocket());
  UniqueFd socket = NewStreamSocket();
  if (!address || !socket ||
      connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    return {};
  }
  return socket;
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

// The registry service in a process of its own, as in the driver host. The children that try the
// rights are forked from the test's single thread: a child forked while a service thread runs could
// inherit a lock that thread held (the allocator's, under the sanitizers) and wait for it forever.
class ServiceProcess {
 public:
  ServiceProcess() {
    std::array<int, 2> ready{};
    std::array<int, 2> stop{};
    if (pipe(ready.data()) != 0 || pipe(stop.data()) != 0) return;
    child_ = StartChild([&]() -> int {
      close(stop[1]);
      AllowManyDescriptors();  // as the driver host does
      std::string error;
      const auto service = RegistryService::Start(error);
      const char started = service ? 1 : 0;
      if (!service) std::cerr << error << '\n';
      if (write(ready[1], &started, 1) != 1 || !service) return 1;
      char ignored = 0;
      return read(stop[0], &ignored, 1) == 0 ? 0 : 1;  // serves until the test closes its end
    });
    close(ready[1]);
    close(stop[0]);
    stop_ = stop[1];
    char started = 0;
    started_ = read(ready[0], &started, 1) == 1 && started == 1;
    close(ready[0]);
  }
  ~ServiceProcess() {
    close(stop_);
    WaitForChild(child_);
  }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool Started() const { return started_; }

 private:
  pid_t child_ = -1;
  int stop_ = -1;
  bool started_ = false;
};

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
    service_ = std::make_unique<ServiceProcess>();
    ASSERT_TRUE(service_->Started()) << "the registry service did not start";
  }

  std::optional<Identity> operator_;
  std::unique_ptr<ServiceProcess> service_;
};

TEST_F(OperatorRights, AnOperatorStoresTheDriversSettingsAndNothingElse) {
  const auto results = ResultsAs(*operator_, [] {
    const DWORD value = 1;
    return std::vector<LSTATUS>{
        SetDwordAt(kParameters, "XL", 3800),        // a calibration
        SetDwordAt(kParameters, "BeepTime1", 100),  // the applet's settings
        AddString(kParameters, "Note", "text"),     // no text at all
        AddString(kPorts, "COM1", "/dev/pts/5"),    // a terminal as the touch screen
        AddString(kHostSettings, "PointerSink", "recorder:/etc/passwd"),
        AddString(kRunOnce, "evil", R"("/tmp/evil")"),  // a command for root's logon
        AddString(R"(Software\New)", "A", "b"),
        RegSetValueExA(HKEY_LOCAL_MACHINE, "Top", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value),
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPorts),
    };
  });
  EXPECT_EQ(results,
            (std::vector<LSTATUS>{ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
                                  ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                                  ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED}));
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  EXPECT_EQ(QueryDword(key, "XL"), 3800u);
  EXPECT_EQ(QueryDword(key, "BeepTime1"), 100u);
  RegCloseKey(key);
  HKEY ports = CreateKey(HKEY_LOCAL_MACHINE, kPorts);
  std::array<char, 64> text{};
  DWORD size = text.size();
  EXPECT_EQ(RegQueryValueExA(ports, "COM1", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                             &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text.data(), "/dev/ttyS0");
  RegCloseKey(ports);
}

// An operator's values are the programs' own: the driver's settings and the applet's, four bytes
// each, so that no request of an operator makes the store grow beyond them.
TEST_F(OperatorRights, AnOperatorMakesOnlyTheValuesThatTheDriverAndTheAppletUse) {
  const auto results = ResultsAs(*operator_, [] {
    return std::vector<LSTATUS>{
        SetDwordAt(kParameters, "ScreenPost", 18),
        SetDwordAt(kParameters, "DoubleScreenPost", 0),
        SetDwordAt(kParameters, "Bloat", 1),
        SetDwordAt(kParameters, std::string(16383, 'n').c_str(), 1),
    };
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
                                           ERROR_ACCESS_DENIED}));
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  EXPECT_EQ(QueryDword(key, "ScreenPost"), 18u);
  EXPECT_EQ(QueryDword(key, "Bloat"), std::nullopt);
  RegCloseKey(key);
}

// What an operator may change in the driver's settings key is a REG_DWORD: a value of root's of
// another type stays, whatever its name.
TEST_F(OperatorRights, AnOperatorNeitherDeletesNorRetypesAValueThatIsNoDword) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  SetString(key, "Note", "root's");
  const std::array<BYTE, 2> binary{1, 2};
  ASSERT_EQ(RegSetValueExA(key, "Port", 0, REG_BINARY, binary.data(), binary.size()),
            ERROR_SUCCESS);
  RegCloseKey(key);
  const auto results = ResultsAs(*operator_, [] {
    return std::vector<LSTATUS>{
        DeleteValueAt(kParameters, "Note"), SetDwordAt(kParameters, "Port", 2),
        DeleteValueAt(kParameters, "Port"), DeleteValueAt(kParameters, "XL")};
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                                           ERROR_ACCESS_DENIED, ERROR_SUCCESS}));
  key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Note", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(RegQueryValueExA(key, "Port", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(QueryDword(key, "XL"), std::nullopt);
  RegCloseKey(key);
}

// The service reads no request longer than an operator's changes can be: a longer one is refused
// before its bytes are read, so that no connection makes the service hold more than that.
TEST_F(OperatorRights, TheServiceRefusesARequestLongerThanAnyOperatorsUnread) {
  const auto results = ResultsAs(*operator_, [] {
    // Well-formed and within an operator's rights, only far too long.
    const std::vector<HiveChange> changes(
        20000, HiveChange::SetValue(kParameters, "XL", REG_DWORD, {1, 0, 0, 0}));
    const UniqueFd socket = ConnectToService();
    SocketStream stream(socket.Get());
    stream.WriteAll(Framed(EncodeChanges(changes)));  // cut short by a refusal
    std::array<std::uint8_t, kFrameLengthSize + kResultSize> reply{};
    const bool answered = stream.ReadExact(reply);
    const auto result = DecodeResult(std::span(reply).subspan(kFrameLengthSize));
    return std::vector<LSTATUS>{
        answered && result ? result->Status : static_cast<LSTATUS>(ERROR_REGISTRY_IO_FAILED)};
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{ERROR_INVALID_PARAMETER}));
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters.c_str());
  EXPECT_EQ(QueryDword(key, "XL"), 800u);
  RegCloseKey(key);
}

// One operator holding as many connections as it can open locks out no other operator, and root
// is always served. The operator itself is told that its own share is used up.
TEST_F(OperatorRights, OneOperatorsIdleConnectionsLockOutNoOtherOperatorNorRoot) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = StartChildAs(*operator_, [&]() -> int {
    AllowManyDescriptors();
    std::vector<UniqueFd> idle;
    for (std::size_t i = 0; i < kMaxRegistryClients; ++i) idle.push_back(ConnectToService());
    const HiveChange calibrate = HiveChange::SetValue(kParameters, "XL", REG_DWORD, {1, 0, 0, 0});
    const LSTATUS own = SendToRegistryService(std::span(&calibrate, 1)).Status;
    if (write(ready[1], &own, sizeof own) != sizeof own) return 1;
    pause();  // holds the connections until killed
    return 0;
  });
  close(ready[1]);
  LSTATUS own = ERROR_SUCCESS;
  ASSERT_EQ(read(ready[0], &own, sizeof own), static_cast<ssize_t>(sizeof own));
  close(ready[0]);
  EXPECT_EQ(own, ERROR_NOT_ENOUGH_QUOTA);

  EXPECT_EQ(ResultsAs(*AnotherOperator(),
                      [] { return std::vector<LSTATUS>{SetDwordAt(kParameters, "XL", 3900)}; }),
            std::vector<LSTATUS>{ERROR_SUCCESS});
  const HiveChange calibrate = HiveChange::SetValue(kParameters, "YL", REG_DWORD, {2, 0, 0, 0});
  EXPECT_EQ(SendToRegistryService(std::span(&calibrate, 1)).Status, ERROR_SUCCESS);
  kill(holder, SIGKILL);
  WaitForChild(holder);
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
    sqlite3_open_v2(ReadersHiveFile(Hive::LocalMachine).c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
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
