// qvreg export: writes a key and everything under it to a .reg file.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/reg_file.h"
#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/key_reader.h"
#include "tools/qvreg/messages.h"
#include "tools/qvreg/value_text.h"

namespace qvtouch::qvreg {
namespace {

constexpr std::string_view kNotHeld =
    " not exported: its name holds a line break or a zero byte, which a .reg file cannot hold.";

// The key as a .reg file can hold it: the values whose names it can hold, or nothing when it
// cannot hold the key's own name. What is left out is added to `left`, for a warning each.
std::optional<platform::RegFileKey> Exportable(const std::string& fullName,
                                               const KeyContents& contents,
                                               std::vector<std::string>& left) {
  if (!platform::RegFileHoldsName(fullName)) {
    left.push_back(Printable(fullName) + std::string(kNotHeld));
    return std::nullopt;
  }
  platform::RegFileKey key{fullName, false, {}};
  for (const platform::RegFileValue& value : contents.Values) {
    if (platform::RegFileHoldsName(value.Name)) {
      key.Values.push_back(value);
    } else {
      left.push_back(Printable(fullName) + ", value \"" + Printable(value.Name) + "\"" +
                     std::string(kNotHeld));
    }
  }
  return key;
}

}  // namespace

int Export(const Command& command) {
  const auto name = ParseKeyName(command.Operands[0]);
  if (!name) return FailKeyName(command.Operands[0]);
  const std::string& file = command.Operands[1];
  std::error_code error;
  if (!command.Overwrite && std::filesystem::exists(file, error)) {
    return Fail("The file " + file + " exists already. qvreg does not ask: add /y to replace it.");
  }

  ScopedKey key;
  LSTATUS status = RegOpenKeyExA(name->RootHandle(), name->SubKey.c_str(), 0, KEY_READ, key.Out());
  platform::RegFile content;
  std::vector<std::string> left;  // what a .reg file cannot hold, which an earlier version stored
  if (status == ERROR_SUCCESS) {
    status = VisitTree(key.Get(), name->FullName(),
                       [&](HKEY, const std::string& fullName, const KeyContents& contents) {
                         if (auto exported = Exportable(fullName, contents, left)) {
                           content.Keys.push_back(std::move(*exported));
                         }
                         return static_cast<LSTATUS>(ERROR_SUCCESS);
                       });
  }
  if (status != ERROR_SUCCESS) return Fail(status, name->Root);

  const auto text = platform::WriteRegFile(content);
  if (const auto* refused = std::get_if<platform::RegFileError>(&text)) {
    return Fail("Cannot export " + name->FullName() + ": " + refused->Message + ".");
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << std::get<std::string>(text);
  out.close();
  if (!out) return Fail("Cannot write " + file + ": " + std::strerror(errno) + ".");
  for (const std::string& warning : left) Warn(warning);
  return Succeed();
}

}  // namespace qvtouch::qvreg
