#include "tests/platform/registry/registry_test_support.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/posix/operator_group.h"
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

Identity Nobody() {
  const passwd* nobody = getpwnam("nobody");
  return nobody == nullptr ? Identity{65534, 65534, {}}
                           : Identity{nobody->pw_uid, nobody->pw_gid, {}};
}

std::optional<Identity> NobodyAsOperator() {
  const auto operators = OperatorGroupId();
  if (!operators) return std::nullopt;
  Identity who = Nobody();
  who.Groups = {*operators};
  return who;
}

std::vector<LSTATUS> ResultsAs(const Identity& who,
                               const std::function<std::vector<LSTATUS>()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = StartChild([&]() -> int {
    if (setgroups(who.Groups.size(), who.Groups.data()) != 0 ||
        setresgid(who.Group, who.Group, who.Group) != 0 ||
        setresuid(who.User, who.User, who.User) != 0) {
      return 1;
    }
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

pid_t StartChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  return child;
}

int WaitForChild(pid_t child) {
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace qvtouch::platform::test
