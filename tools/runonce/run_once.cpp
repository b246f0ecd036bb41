#include "tools/runonce/run_once.h"

#include <algorithm>

#include "common/registry_paths.h"
#include "platform/registry/winreg.h"
#include "tools/qvreg/key_reader.h"

namespace qvtouch::runonce {
namespace {

std::string Failure(std::string_view what, LSTATUS status) {
  return std::string(what) + " (error " + std::to_string(status) + ")";
}

// A REG_SZ value's text: its data up to the terminating zero.
std::string Text(const std::vector<std::uint8_t>& data) {
  const auto end = std::find(data.begin(), data.end(), 0);
  return std::string(data.begin(), end);
}

}  // namespace

std::vector<std::string> RunOnceCommands(const CommandRunner& run) {
  const std::string keyName = "HKEY_LOCAL_MACHINE\\" + std::string(kRunOnceKey);
  qvreg::ScopedKey key;
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(kRunOnceKey).c_str(), 0,
                                       KEY_READ | KEY_SET_VALUE, key.Out());
  // Nothing scheduled, or a user who may not delete the values: they wait for one who may.
  if (opened == ERROR_FILE_NOT_FOUND || opened == ERROR_ACCESS_DENIED) return {};
  if (opened != ERROR_SUCCESS) return {Failure("cannot open " + keyName, opened)};
  qvreg::KeyContents contents;
  const LSTATUS read = qvreg::ReadKeyContents(key.Get(), contents);
  if (read != ERROR_SUCCESS) return {Failure("cannot read " + keyName, read)};

  std::vector<std::string> failures;
  for (const platform::RegFileValue& value : contents.Values) {
    if (value.Type != REG_SZ) continue;
    const LSTATUS deleted = RegDeleteValueA(key.Get(), value.Name.c_str());
    if (deleted == ERROR_FILE_NOT_FOUND) continue;  // another runner took it since the reading
    if (deleted != ERROR_SUCCESS) {
      failures.push_back(Failure(
          "cannot delete \"" + value.Name + "\" of " + keyName + ", so it does not run", deleted));
      continue;
    }
    std::string failure = run(Text(value.Data));
    if (!failure.empty()) failures.push_back(std::move(failure));
  }
  return failures;
}

}  // namespace qvtouch::runonce
