// Who may read and change the store, and what a damaged store does.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <array>

#include "platform/paths/paths.h"
#include "platform/registry/dword_values.h"
#include "platform/registry/hive.h"
#include "tests/platform/registry/registry_test_support.h"

namespace qvtouch::platform::test {
namespace {

constexpr const char* kParameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";

LSTATUS OpenAndClose(HKEY root, const char* path, REGSAM rights) {
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExA(root, path, 0, rights, &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

LSTATUS CreateAndClose(HKEY root, const char* path, REGSAM rights) {
  HKEY key = nullptr;
  const LSTATUS status = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, rights,
                                         nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

using StoreAccess = RegistryTest;

TEST_F(StoreAccess, AUserWhoMayNotWriteTheMachineHiveReadsItAndIsDeniedEveryChange) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a child as another user";
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  SetDword(key, "Port", 2);
  RegCloseKey(key);

  const auto results = ResultsAs(Nobody(), [] {
    HKEY reader = nullptr;
    std::uint32_t port = 0;
    const std::array<DwordValueQuery, 1> query{{{"Port", &port}}};
    const DWORD value = 1;
    const auto* data = reinterpret_cast<const BYTE*>(&value);
    std::vector<LSTATUS> results{
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_QUERY_VALUE, &reader),
        static_cast<LSTATUS>(QueryDword(reader, "Port").value_or(0)),
        QueryDwordValues(HKEY_LOCAL_MACHINE, kParameters, query),
        static_cast<LSTATUS>(port),
        CreateAndClose(HKEY_LOCAL_MACHINE, kParameters, KEY_READ),  // exists: opens
        OpenAndClose(HKEY_LOCAL_MACHINE, kParameters, KEY_SET_VALUE),
        OpenAndClose(HKEY_LOCAL_MACHINE, kParameters, KEY_WRITE),
        OpenAndClose(HKEY_LOCAL_MACHINE, kParameters, KEY_ALL_ACCESS),
        CreateAndClose(HKEY_LOCAL_MACHINE, R"(Software\New)", KEY_READ),
        RegSetValueExA(HKEY_LOCAL_MACHINE, "Port", 0, REG_DWORD, data, sizeof value),
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "System"),
        CreateAndClose(HKEY_CURRENT_USER, "Software", KEY_ALL_ACCESS),  // root owns the folder
    };
    RegCloseKey(reader);
    return results;
  });
  EXPECT_EQ(results, (std::vector<LSTATUS>{
                         ERROR_SUCCESS, 2, ERROR_SUCCESS, 2, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
                         ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                         ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED}));
  EXPECT_EQ(OpenAndClose(HKEY_LOCAL_MACHINE, R"(Software\New)", KEY_READ), ERROR_FILE_NOT_FOUND);
}

// A user who may only read the machine hive locks, for as long as it likes, every byte of every
// file of it that it can open. That holds up neither a change nor the reading of a process that
// may write the hive (the driver host's, at its start and at every reload).
TEST_F(StoreAccess, NothingAReaderLocksHoldsUpAChangeOrTheHostsReading) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a child as another user";
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  SetDword(key, "Port", 2);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t locker = StartChildAs(Nobody(), [&]() -> int {
    std::error_code error;
    for (auto file = std::filesystem::recursive_directory_iterator(
             MachineStateDir(), std::filesystem::directory_options::skip_permission_denied, error);
         !error && file != std::filesystem::recursive_directory_iterator(); file.increment(error)) {
      const int fd = open(file->path().c_str(), O_RDONLY | O_CLOEXEC);
      struct flock whole {};
      whole.l_type = F_RDLCK;
      whole.l_whence = SEEK_SET;
      if (fd >= 0) fcntl(fd, F_SETLK, &whole);  // kept open, and locked, until killed
    }
    const char locked = 1;
    if (write(ready[1], &locked, 1) != 1) return 1;
    pause();
    return 0;
  });
  close(ready[1]);
  char locked = 0;
  ASSERT_EQ(read(ready[0], &locked, 1), 1);
  close(ready[0]);
  // Held up, either would fail with ERROR_BUSY once the store's busy time-out had passed.
  SetDword(key, "Port", 3);
  std::uint32_t port = 0;
  const std::array<DwordValueQuery, 1> query{{{"Port", &port}}};
  EXPECT_EQ(QueryDwordValues(HKEY_LOCAL_MACHINE, kParameters, query), ERROR_SUCCESS);
  EXPECT_EQ(port, 3u);
  RegCloseKey(key);
  kill(locker, SIGKILL);
  WaitForChild(locker);
}

// Every call on a damaged hive fails with ERROR_BADDB, and the file stays byte for byte.
void ExpectDamageReportedAndFileUntouched(const std::filesystem::path& file) {
  const std::vector<std::uint8_t> before = FileBytes(file);
  HKEY key = nullptr;
  std::uint32_t port = 7;
  const std::array<DwordValueQuery, 1> query{{{"Port", &port}}};
  const DWORD value = 1;
  DWORD count = 0;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters, 0, KEY_READ, &key), ERROR_BADDB);
  EXPECT_EQ(QueryDwordValues(HKEY_LOCAL_MACHINE, kParameters, query), ERROR_BADDB);
  EXPECT_EQ(port, 7u);
  EXPECT_EQ(RegQueryInfoKeyA(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, &count, nullptr,
                             nullptr, &count, nullptr, nullptr, nullptr, nullptr),
            ERROR_BADDB);
  EXPECT_EQ(CreateAndClose(HKEY_LOCAL_MACHINE, R"(Software\New)", KEY_ALL_ACCESS), ERROR_BADDB);
  EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "Port", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_BADDB);
  EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "System"), ERROR_BADDB);
  EXPECT_EQ(FileBytes(file), before);
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "machine.db" || name == "machine.db-wal" || name == "machine.db-shm")
        << "left behind: " << name;
  }
}

// A hive file that another user made a symbolic link (in a folder open to that user) leads
// nowhere: root neither reads nor makes the file it points at.
TEST_F(StoreAccess, AHiveThatIsAnotherUsersLinkIsNeitherReadNorWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
  const std::filesystem::path hive = HiveFile(Hive::LocalMachine);
  const std::filesystem::path target = Root() / "chosen-by-them.db";
  std::filesystem::create_directories(hive.parent_path());
  std::filesystem::create_symlink(target, hive);
  ASSERT_EQ(lchown(hive.c_str(), Nobody().User, Nobody().Group), 0);
  EXPECT_EQ(CreateAndClose(HKEY_LOCAL_MACHINE, kParameters, KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenAndClose(HKEY_LOCAL_MACHINE, kParameters, KEY_READ), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(StoreAccess, AFileThatIsNoDatabaseIsReportedAndLeftAsItIs) {
  const std::string text = "Port=2\n";
  WriteFile(HiveFile(Hive::LocalMachine), {text.begin(), text.end()});
  ExpectDamageReportedAndFileUntouched(HiveFile(Hive::LocalMachine));
}

TEST_F(StoreAccess, ADatabaseWithDamagedPagesIsReportedAndLeftAsItIs) {
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, kParameters);
  for (int i = 0; i < 12; ++i)
    SetString(key, ("Value" + std::to_string(i)).c_str(), std::string(1000, 'x'));
  RegCloseKey(key);
  MoveLogIntoHive(HiveFile(Hive::LocalMachine));
  std::vector<std::uint8_t> bytes = FileBytes(HiveFile(Hive::LocalMachine));
  constexpr std::size_t kPage = 4096;
  ASSERT_GT(bytes.size(), 3 * kPage);
  std::fill(bytes.begin() + kPage, bytes.begin() + 3 * kPage, 0xA5);  // the tables' first pages
  WriteFile(HiveFile(Hive::LocalMachine), bytes);
  ExpectDamageReportedAndFileUntouched(HiveFile(Hive::LocalMachine));
}

TEST_F(StoreAccess, AnotherProgramsDatabaseIsNoHive) {
  // A sound SQLite database whose header names another application.
  RegCloseKey(CreateKey(HKEY_CURRENT_USER, "Software"));
  MoveLogIntoHive(HiveFile(Hive::CurrentUser));
  std::vector<std::uint8_t> bytes = FileBytes(HiveFile(Hive::CurrentUser));
  bytes[68] ^= 0xFF;  // the application id in the database header
  WriteFile(HiveFile(Hive::LocalMachine), bytes);
  ExpectDamageReportedAndFileUntouched(HiveFile(Hive::LocalMachine));
}

}  // namespace
}  // namespace qvtouch::platform::test
