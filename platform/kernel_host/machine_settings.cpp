#include "platform/kernel_host/machine_settings.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/registry/dword_values.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {
namespace {

constexpr std::string_view kMachineRoot = R"(\Registry\Machine\)";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

NtStatus QueryMachineDwords(std::string_view keyPath,
                            std::span<const driver::RegistryDwordQuery> entries) {
  if (!StartsWithIgnoringCase(keyPath, kMachineRoot)) return STATUS_OBJECT_NAME_NOT_FOUND;
  std::vector<DwordValueQuery> queries;
  queries.reserve(entries.size());
  for (const driver::RegistryDwordQuery& entry : entries) {
    queries.push_back({entry.Name, entry.Destination});
  }
  switch (QueryDwordValues(HKEY_LOCAL_MACHINE, keyPath.substr(kMachineRoot.size()), queries)) {
    case ERROR_SUCCESS:
    case ERROR_FILE_NOT_FOUND:  // the key is optional
      return STATUS_SUCCESS;
    case ERROR_BADDB:
      return STATUS_REGISTRY_CORRUPT;
    default:
      return STATUS_REGISTRY_IO_FAILED;
  }
}

std::optional<std::string> ReadMachineString(std::string_view key, std::string_view valueName) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(key).c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::string name(valueName);
  DWORD type = 0;
  DWORD size = 0;
  std::optional<std::string> text;
  if (RegQueryValueExA(opened, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    std::string buffer(size, '\0');
    if (RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) == ERROR_SUCCESS) {
      buffer.resize(std::min<std::size_t>(size, buffer.size()));
      text = buffer.substr(0, buffer.find('\0'));  // the stored terminator
    }
  }
  RegCloseKey(opened);
  return text;
}

}  // namespace qvtouch::platform
