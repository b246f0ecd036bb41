// qvreg import: applies a .reg file, after checking all of it.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/registry/reg_file.h"
#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/key_reader.h"
#include "tools/qvreg/messages.h"

namespace qvtouch::qvreg {
namespace {

using platform::RegFileKey;

// Deleting what is not there is no failure: the file's wish holds already.
LSTATUS Deleted(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS Apply(const KeyName& name, const RegFileKey& section) {
  if (section.Remove) return Deleted(RegDeleteTreeA(name.RootHandle(), name.SubKey.c_str()));
  ScopedKey key;
  LSTATUS status =
      RegCreateKeyExA(name.RootHandle(), name.SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.Out(), nullptr);
  for (auto value = section.Values.begin();
       status == ERROR_SUCCESS && value != section.Values.end(); ++value) {
    status = value->Remove
                 ? Deleted(RegDeleteValueA(key.Get(), value->Name.c_str()))
                 : RegSetValueExA(key.Get(), value->Name.c_str(), 0, value->Type,
                                  value->Data.data(), static_cast<DWORD>(value->Data.size()));
  }
  return status;
}

}  // namespace

int Import(const Command& command) {
  const std::string& file = command.Operands[0];
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  if (!in && !in.eof()) return Fail("Cannot read " + file + ": " + std::strerror(errno) + ".");

  const auto read = platform::ReadRegFile(bytes);
  if (const auto* error = std::get_if<platform::RegFileError>(&read)) {
    const std::string where =
        error->Line == 0 ? file : file + ", line " + std::to_string(error->Line);
    return Fail(where + ": " + error->Message + ".");
  }
  const auto& content = std::get<platform::RegFile>(read);
  std::vector<KeyName> names;
  for (const RegFileKey& section : content.Keys) {
    const auto name = ParseKeyName(section.Path);
    if (!name) return FailKeyName(section.Path);
    if (section.Remove && name->SubKey.empty()) return Fail("A root key cannot be deleted.");
    names.push_back(*name);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const LSTATUS status = Apply(names[i], content.Keys[i]);
    if (status != ERROR_SUCCESS) return Fail(status, names[i].Root);
  }
  return Succeed();
}

}  // namespace qvtouch::qvreg
