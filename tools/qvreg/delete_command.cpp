// qvreg delete: deletes a key with everything under it, one value, or all values of a key.
#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/key_reader.h"
#include "tools/qvreg/messages.h"

namespace qvtouch::qvreg {
namespace {

LSTATUS DeleteValues(HKEY root, const std::string& subKey, const Command& command) {
  ScopedKey key;
  LSTATUS status = RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | KEY_SET_VALUE, key.Out());
  if (status != ERROR_SUCCESS) return status;
  if (command.ValueName) return RegDeleteValueA(key.Get(), command.ValueName->c_str());
  KeyContents contents;
  status = ReadKeyContents(key.Get(), contents);
  for (std::size_t i = 0; status == ERROR_SUCCESS && i < contents.Values.size(); ++i) {
    status = RegDeleteValueA(key.Get(), contents.Values[i].Name.c_str());
  }
  return status;
}

}  // namespace

int Delete(const Command& command) {
  const auto name = ParseKeyName(command.Operands[0]);
  if (!name) return FailKeyName(command.Operands[0]);
  if (!command.Force) return Fail("qvreg does not ask for confirmation: add /f to delete.");
  if (!command.ValueName && !command.AllValues && name->SubKey.empty()) {
    return Fail("A root key cannot be deleted.");
  }
  const LSTATUS status = command.ValueName || command.AllValues
                             ? DeleteValues(name->RootHandle(), name->SubKey, command)
                             : RegDeleteTreeA(name->RootHandle(), name->SubKey.c_str());
  return status == ERROR_SUCCESS ? Succeed() : Fail(status, name->Root);
}

}  // namespace qvtouch::qvreg
