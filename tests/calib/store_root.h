// A settings store of the test's own: QVTOUCH_ROOT names a fresh folder for the test's duration,
// open to every user so that a child process may run as another one.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qvtouch::calib::testing {

class StoreRootTest : public ::testing::Test {
 protected:
  StoreRootTest() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qvtouch-calib-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    using std::filesystem::perms;
    std::filesystem::permissions(root_, perms::all & ~(perms::group_write | perms::others_write));
    ::setenv("QVTOUCH_ROOT", root_.c_str(), 1);
  }
  ~StoreRootTest() override {
    ::unsetenv("QVTOUCH_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace qvtouch::calib::testing
