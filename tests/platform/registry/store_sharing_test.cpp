// Several processes and threads using one store at once.
#include <sqlite3.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/hive.h"
#include "tests/platform/registry/registry_test_support.h"

namespace qvtouch::platform::test {
namespace {

constexpr const char* kShared = R"(Software\QVTouch\Shared)";
constexpr int kWriters = 4;
constexpr int kValuesEach = 25;

std::string ValueName(int writer, int value) {
  return "w" + std::to_string(writer) + "v" + std::to_string(value);
}

// Opens the key anew for every value, as the programs do, and counts what failed.
int WriteValues(int writer) {
  int failures = 0;
  for (int value = 0; value < kValuesEach; ++value) {
    HKEY key = nullptr;
    const DWORD data = writer * 1000 + value;
    failures += RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShared, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS;
    failures += RegSetValueExA(key, ValueName(writer, value).c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS;
    failures += RegCloseKey(key) != ERROR_SUCCESS;
  }
  return failures;
}

void ExpectEveryValueWritten() {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShared, 0, KEY_READ, &key), ERROR_SUCCESS);
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int value = 0; value < kValuesEach; ++value) {
      EXPECT_EQ(QueryDword(key, ValueName(writer, value).c_str()),
                static_cast<DWORD>(writer * 1000 + value));
    }
  }
  DWORD count = 0;
  EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(count, static_cast<DWORD>(kWriters * kValuesEach));
  RegCloseKey(key);
}

using StoreSharing = RegistryTest;

TEST_F(StoreSharing, ProcessesWritingAtOnceIntoANewHiveLoseNothing) {
  // Every writer starts before the hive exists, so they also race to create it.
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    children.push_back(StartChild([writer] { return WriteValues(writer); }));
  }
  std::vector<int> failures;
  for (const pid_t child : children) failures.push_back(WaitForChild(child));
  EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
  ExpectEveryValueWritten();
}

// Making a hive switches its new file to write-ahead logging, for which SQLite waits for no other
// writer of the file (two such switches would deadlock): here the other writer holds its write
// lock for a while, as one does that makes the same hive at the same moment.
TEST_F(StoreSharing, AWriterMakingTheHiveWaitsForAnotherWriterOfItsNewFile) {
  const std::filesystem::path hive = HiveFile(Hive::LocalMachine);
  std::filesystem::create_directories(hive.parent_path());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(hive.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  std::thread otherCommits([other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
  });
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kShared, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  otherCommits.join();
  RegCloseKey(key);
}

TEST_F(StoreSharing, ThreadsWritingAndReadingAtOnceLoseNothing) {
  std::vector<std::thread> threads;
  std::vector<int> failures(kWriters, -1);
  for (int writer = 0; writer < kWriters; ++writer) {
    threads.emplace_back([writer, &failures] { failures[writer] = WriteValues(writer); });
  }
  threads.emplace_back([] {
    for (int i = 0; i < kValuesEach; ++i) {
      DWORD count = 0;
      RegQueryInfoKeyA(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr);
    }
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
  ExpectEveryValueWritten();
}

}  // namespace
}  // namespace qvtouch::platform::test
