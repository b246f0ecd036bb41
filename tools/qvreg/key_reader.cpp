#include "tools/qvreg/key_reader.h"

#include <algorithm>
#include <memory>

namespace qvtouch::qvreg {
namespace {

LSTATUS ReadSizedContents(HKEY key, KeyContents& contents) {
  DWORD longestSubkey = 0;
  DWORD longestName = 0;
  DWORD largestData = 0;
  LSTATUS status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestSubkey,
                                    nullptr, nullptr, &longestName, &largestData, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  std::vector<char> name(std::max(longestSubkey, longestName) + 1);
  std::vector<std::uint8_t> data(largestData);
  for (DWORD index = 0;; ++index) {
    auto length = static_cast<DWORD>(name.size());
    auto size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    status = RegEnumValueA(key, index, name.data(), &length, nullptr, &type, data.data(), &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return status;
    contents.Values.push_back(
        {std::string(name.data(), length), false, type, {data.begin(), data.begin() + size}});
  }
  for (DWORD index = 0;; ++index) {
    auto length = static_cast<DWORD>(name.size());
    status = RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    contents.Subkeys.emplace_back(name.data(), length);
  }
}

}  // namespace

LSTATUS ReadKeyContents(HKEY key, KeyContents& contents) {
  // A value or name that grew since the sizes were taken makes the reading start again.
  LSTATUS status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    contents = {};
    status = ReadSizedContents(key, contents);
  }
  return status;
}

LSTATUS ReadValue(HKEY key, const std::string& name, platform::RegFileValue& value) {
  value = {name, false, REG_SZ, {}};
  LSTATUS status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    DWORD size = 0;
    status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    value.Data.resize(size);
    status = RegQueryValueExA(key, name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
    value.Data.resize(size);
  }
  return status;
}

LSTATUS VisitTree(HKEY key, const std::string& fullName, const KeyVisitor& visit) {
  // Without recursion: a tree may be as deep as the store allows, and the stack is no place for
  // that. Each level holds its key, open, and the subkeys still to visit.
  struct CloseKey {
    void operator()(HKEY opened) const { RegCloseKey(opened); }
  };
  struct Level {
    HKEY Key;
    std::unique_ptr<HKEY__, CloseKey> Opened;  // null for the key the walk starts at
    std::string Name;
    std::vector<std::string> Subkeys;
    std::size_t Next = 0;
  };
  std::vector<Level> levels;
  const auto enter = [&](HKEY each, std::unique_ptr<HKEY__, CloseKey> opened, std::string name) {
    KeyContents contents;
    LSTATUS status = ReadKeyContents(each, contents);
    if (status == ERROR_SUCCESS) status = visit(each, name, contents);
    levels.push_back({each, std::move(opened), std::move(name), std::move(contents.Subkeys)});
    return status;
  };
  LSTATUS status = enter(key, nullptr, fullName);
  while (status == ERROR_SUCCESS && !levels.empty()) {
    Level& level = levels.back();
    if (level.Next == level.Subkeys.size()) {
      levels.pop_back();
      continue;
    }
    const std::string& subkey = level.Subkeys[level.Next++];
    HKEY child = nullptr;
    status = RegOpenKeyExA(level.Key, subkey.c_str(), 0, KEY_READ, &child);
    if (status == ERROR_SUCCESS) {
      status = enter(child, std::unique_ptr<HKEY__, CloseKey>(child), level.Name + '\\' + subkey);
    }
  }
  return status;
}

}  // namespace qvtouch::qvreg
