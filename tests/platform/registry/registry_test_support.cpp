#include "tests/platform/registry/registry_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/registry/sqlite_connection.h"

namespace qvtouch::platform::test {

RegistryTest::RegistryTest() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "qvtouch-registry-XXXXXX").string();
  root_ = mkdtemp(pattern.data());
  std::filesystem::permissions(
      root_, std::filesystem::perms::all &
                 ~(std::filesystem::perms::group_write | std::filesystem::perms::others_write));
  setenv("QVTOUCH_ROOT", root_.c_str(), 1);
}

RegistryTest::~RegistryTest() {
  unsetenv("QVTOUCH_ROOT");
  std::filesystem::remove_all(root_);
}

HKEY CreateKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  return key;
}

void SetDword(HKEY key, const char* name, DWORD value) {
  EXPECT_EQ(
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
      ERROR_SUCCESS)
      << name;
}

void SetString(HKEY key, const char* name, const std::string& text) {
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS)
      << name;
}

std::optional<DWORD> QueryDword(HKEY key, const char* name) {
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void MoveLogIntoHive(const std::filesystem::path& file) {
  Connection db(file.c_str(), SQLITE_OPEN_READWRITE);
  db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
}

void WriteFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<LSTATUS> ResultsAs(const Identity& who,
                               const std::function<std::vector<LSTATUS>()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = StartChildAs(who, [&]() -> int {
    const std::vector<LSTATUS> results = body();
    const auto size = static_cast<ssize_t>(results.size() * sizeof(LSTATUS));
    return write(channel[1], results.data(), size) == size ? 0 : 1;
  });
  close(channel[1]);
  std::vector<LSTATUS> results(64);
  const ssize_t got = read(channel[0], results.data(), results.size() * sizeof(LSTATUS));
  close(channel[0]);
  EXPECT_EQ(WaitForChild(child), 0);
  results.resize(got > 0 ? static_cast<std::size_t>(got) / sizeof(LSTATUS) : 0);
  return results;
}

}  // namespace qvtouch::platform::test
