// qvreg add: creates a key and sets a value in it.
#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/key_reader.h"
#include "tools/qvreg/messages.h"
#include "tools/qvreg/value_text.h"

namespace qvtouch::qvreg {

int Add(const Command& command) {
  const auto name = ParseKeyName(command.Operands[0]);
  if (!name) return FailKeyName(command.Operands[0]);
  // Everything is checked before the key is created, so that a mistake changes nothing.
  const std::string typeName = command.Type.value_or("REG_SZ");
  const auto type = TypeNamed(typeName);
  if (!type)
    return Fail("Invalid type " + typeName + ": qvreg stores REG_SZ, REG_DWORD and REG_BINARY.");
  const auto data = ParseData(*type, command.Data.value_or(""));
  if (!data) {
    return Fail("Invalid data \"" + command.Data.value_or("") + "\" for " + typeName +
                " (see qvreg add /?).");
  }

  ScopedKey key;
  LSTATUS status =
      RegCreateKeyExA(name->RootHandle(), name->SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.Out(), nullptr);
  if (status != ERROR_SUCCESS) return Fail(status, name->Root);
  if (!command.ValueName && !command.Type && !command.Data) return Succeed();  // the key alone

  const std::string valueName = command.ValueName.value_or("");
  if (!command.Force && RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr,
                                         nullptr) == ERROR_SUCCESS) {
    return Fail("The value " + (valueName.empty() ? std::string("(Default)") : valueName) +
                " exists already. qvreg does not ask: add /f to replace it.");
  }
  status = RegSetValueExA(key.Get(), valueName.c_str(), 0, *type, data->data(),
                          static_cast<DWORD>(data->size()));
  return status == ERROR_SUCCESS ? Succeed() : Fail(status, name->Root);
}

}  // namespace qvtouch::qvreg
