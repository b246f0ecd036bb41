// qvreg export: writes a key and everything under it to a .reg file.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/registry/reg_file.h"
#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/key_reader.h"
#include "tools/qvreg/messages.h"

namespace qvtouch::qvreg {

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
  if (status == ERROR_SUCCESS) {
    status = VisitTree(key.Get(), name->FullName(),
                       [&content](HKEY, const std::string& fullName, const KeyContents& contents) {
                         content.Keys.push_back({fullName, false, contents.Values});
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
  return Succeed();
}

}  // namespace qvtouch::qvreg
