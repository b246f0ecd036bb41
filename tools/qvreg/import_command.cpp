// qvreg import: applies a .reg file whole or not at all, after checking all of it; a change the
// store refuses is named by its line.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry/hive_changes.h"
#include "platform/registry/reg_file.h"
#include "tools/qvreg/commands.h"
#include "tools/qvreg/key_name.h"
#include "tools/qvreg/messages.h"

namespace qvtouch::qvreg {
namespace {

using platform::Hive;
using platform::HiveChange;
using platform::RegFileKey;

// A hive's changes, with the line of the file that asks for each.
struct Changes {
  std::vector<HiveChange> Steps;
  std::vector<std::size_t> Lines;

  void Add(HiveChange change, std::size_t line) {
    change.AbsentIsDone = true;  // deleting what is not there: the file's wish holds already
    Steps.push_back(std::move(change));
    Lines.push_back(line);
  }
};

void AddSection(const KeyName& name, const RegFileKey& section, Changes& changes) {
  if (section.Remove) {
    changes.Add(HiveChange::DeleteTree(name.SubKey), section.Line);
    return;
  }
  changes.Add(HiveChange::CreateKey(name.SubKey), section.Line);
  for (const platform::RegFileValue& value : section.Values) {
    if (value.Remove) {
      changes.Add(HiveChange::DeleteValue(name.SubKey, value.Name), value.Line);
    } else {
      changes.Add(HiveChange::SetValue(name.SubKey, value.Name, value.Type, value.Data), value.Line);
    }
  }
}

std::variant<std::vector<std::uint8_t>, std::string> ReadFile(const std::string& file) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) return file + " is a folder, not a .reg file.";
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  if (!in && !in.eof()) return "Cannot read " + file + ": " + std::strerror(errno) + ".";
  return bytes;
}

}  // namespace

int Import(const Command& command) {
  const std::string& file = command.Operands[0];
  const auto bytes = ReadFile(file);
  if (const auto* error = std::get_if<std::string>(&bytes)) return Fail(*error);

  const auto read = platform::ReadRegFile(std::get<std::vector<std::uint8_t>>(bytes));
  if (const auto* error = std::get_if<platform::RegFileError>(&read)) {
    const std::string where =
        error->Line == 0 ? file : file + ", line " + std::to_string(error->Line);
    return Fail(where + ": " + error->Message + ".");
  }
  Changes machine;
  Changes user;
  for (const RegFileKey& section : std::get<platform::RegFile>(read).Keys) {
    const auto name = ParseKeyName(section.Path);
    if (!name) return FailKeyName(section.Path);
    if (section.Remove && name->SubKey.empty()) return Fail("A root key cannot be deleted.");
    AddSection(*name, section, name->Root == Hive::LocalMachine ? machine : user);
  }

  const platform::ChangeResult result = platform::ChangeHives(machine.Steps, user.Steps);
  if (result.Status == ERROR_SUCCESS) return Succeed();
  if (!result.Refused) {
    return Fail(result.Status, machine.Steps.empty() ? Hive::CurrentUser : Hive::LocalMachine);
  }
  const bool inMachine = *result.Refused < machine.Steps.size();
  const std::size_t line = inMachine ? machine.Lines[*result.Refused]
                                     : user.Lines[*result.Refused - machine.Steps.size()];
  return Fail(file + ", line " + std::to_string(line) + ": " +
              StatusMessage(result.Status, inMachine ? Hive::LocalMachine : Hive::CurrentUser) +
              " Nothing was imported.");
}

}  // namespace qvtouch::qvreg
