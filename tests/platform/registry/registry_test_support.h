// A registry store of its own for each test, and short forms of the calls the tests repeat.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/winreg.h"
#include "tests/support/other_users.h"

namespace qvtouch::platform::test {

// QVTOUCH_ROOT is a fresh temporary folder for the test's duration, so that both hives start
// without files. The folder is open to every user, for tests that drop privileges.
class RegistryTest : public ::testing::Test {
 public:
  RegistryTest(const RegistryTest&) = delete;
  RegistryTest& operator=(const RegistryTest&) = delete;

 protected:
  RegistryTest();
  ~RegistryTest() override;

  const std::filesystem::path& Root() const { return root_; }

 private:
  std::filesystem::path root_;
};

// Creates or opens the key with all access; the test fails when it cannot.
HKEY CreateKey(HKEY root, const char* path);
void SetDword(HKEY key, const char* name, DWORD value);
void SetString(HKEY key, const char* name, const std::string& text);
std::optional<DWORD> QueryDword(HKEY key, const char* name);

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& file);
// Moves every change from the hive's write-ahead log into its file, so that the file holds it all.
void MoveLogIntoHive(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

using qvtouch::testing::AnotherOperator;
using qvtouch::testing::Identity;
using qvtouch::testing::Nobody;
using qvtouch::testing::NobodyAsOperator;
using qvtouch::testing::StartChild;
using qvtouch::testing::StartChildAs;
using qvtouch::testing::WaitForChild;

// The results of body's calls, made by a forked child that runs as `who`.
std::vector<LSTATUS> ResultsAs(const Identity& who,
                               const std::function<std::vector<LSTATUS>()>& body);

}  // namespace qvtouch::platform::test
