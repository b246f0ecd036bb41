// qvreg query: reg.exe's output, a blank line, then for each key shown its full name, its values
// as "    Name    TYPE    Data" lines and a blank line.
#include <iostream>
#include <optional>

#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/key_reader.h"
#include "tools/qvreg/messages.h"
#include "tools/qvreg/value_text.h"

namespace qvtouch::qvreg {
namespace {

using platform::RegFileValue;

constexpr std::string_view kIndent = "    ";
constexpr std::string_view kDefaultNotSet = "    (Default)    REG_SZ    (value not set)\n";

std::string ValueLine(const RegFileValue& value) {
  const std::string name = value.Name.empty() ? "(Default)" : Printable(value.Name);
  return std::string(kIndent) + name + std::string(kIndent) + std::string(TypeName(value.Type)) +
         std::string(kIndent) + DisplayData(value.Type, value.Data) + '\n';
}

std::string Block(const std::string& keyName, const std::vector<RegFileValue>& values) {
  std::string block = Printable(keyName) + '\n';
  for (const RegFileValue& value : values) block += ValueLine(value);
  return block + '\n';
}

// The one value the command names, if the key holds it.
LSTATUS NamedValue(HKEY key, const Command& command, std::optional<RegFileValue>& value) {
  RegFileValue found;
  const LSTATUS status = ReadValue(key, *command.ValueName, found);
  if (status == ERROR_SUCCESS) value = found;
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// /s: every key of the tree, or with /v or /ve every key that holds the value, and the count of
// those.
LSTATUS QueryTree(HKEY key, const KeyName& name, const Command& command, std::string& out,
                  std::size_t& matches) {
  const LSTATUS status = VisitTree(
      key, name.FullName(),
      [&](HKEY each, const std::string& fullName, const KeyContents& contents) -> LSTATUS {
        if (!command.ValueName) {
          out += Block(fullName, contents.Values);
          return ERROR_SUCCESS;
        }
        std::optional<RegFileValue> value;
        const LSTATUS found = NamedValue(each, command, value);
        if (value) {
          out += Block(fullName, {*value});
          ++matches;
        }
        return found;
      });
  if (status != ERROR_SUCCESS || !command.ValueName) return status;
  out += "End of search: " + std::to_string(matches) + " match(es) found.\n";
  return ERROR_SUCCESS;
}

// Without /s: the value the command names, or all values and then the subkeys' full names.
LSTATUS QueryKey(HKEY key, const KeyName& name, const Command& command, std::string& out) {
  if (command.ValueName) {
    std::optional<RegFileValue> value;
    const LSTATUS status = NamedValue(key, command, value);
    if (status != ERROR_SUCCESS) return status;
    if (value) {
      out += Block(name.FullName(), {*value});
    } else if (command.ValueName->empty()) {
      out += Printable(name.FullName()) + '\n' + std::string(kDefaultNotSet) + '\n';
    } else {
      return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
  }
  KeyContents contents;
  const LSTATUS status = ReadKeyContents(key, contents);
  if (status != ERROR_SUCCESS) return status;
  out += Block(name.FullName(), contents.Values);
  for (const std::string& subkey : contents.Subkeys) {
    out += Printable(name.FullName() + '\\' + subkey) + '\n';
  }
  return ERROR_SUCCESS;
}

}  // namespace

int Query(const Command& command) {
  const auto name = ParseKeyName(command.Operands[0]);
  if (!name) return FailKeyName(command.Operands[0]);
  ScopedKey key;
  LSTATUS status = RegOpenKeyExA(name->RootHandle(), name->SubKey.c_str(), 0, KEY_READ, key.Out());
  std::string out = "\n";
  std::size_t matches = 0;
  if (status == ERROR_SUCCESS) {
    status = command.Subkeys ? QueryTree(key.Get(), *name, command, out, matches)
                             : QueryKey(key.Get(), *name, command, out);
  }
  if (status != ERROR_SUCCESS) return Fail(status, name->Root);
  std::cout << out;
  // A search that found nothing fails, after saying so.
  const bool searchFailed = command.Subkeys && command.ValueName && matches == 0;
  return searchFailed ? kFailed : kSucceeded;
}

}  // namespace qvtouch::qvreg
