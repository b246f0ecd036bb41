#include "tools/qvreg/command_line.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qvtouch::qvreg {
namespace {

struct Syntax {
  std::string_view Name;
  Operation Op;
  std::size_t Operands;
  std::string_view Switches;  // those the operation takes, each followed by a space
};

constexpr std::array<Syntax, 5> kSyntax{{
    {"query", Operation::Query, 1, "/v /ve /s "},
    {"add", Operation::Add, 1, "/v /ve /t /d /f "},
    {"delete", Operation::Delete, 1, "/v /ve /va /f "},
    {"export", Operation::Export, 2, "/y "},
    {"import", Operation::Import, 1, ""},
}};

// Every switch of any operation. Other arguments, such as an absolute file path, are operands.
constexpr std::string_view kAllSwitches = "/v /ve /va /t /d /f /s /y ";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool Lists(std::string_view switches, const std::string& name) {
  return switches.find(name + ' ') != std::string_view::npos;
}

}  // namespace

std::string_view OperationName(Operation op) {
  return std::ranges::find(kSyntax, op, &Syntax::Op)->Name;
}

std::variant<Command, HelpRequest, SyntaxError> ParseCommandLine(
    std::span<const std::string_view> args) {
  if (args.empty()) return SyntaxError{"no operation given", std::nullopt};
  if (args[0] == "/?" || args[0] == "--help") return HelpRequest{std::nullopt};
  const auto* const syntax = std::ranges::find(kSyntax, Lower(args[0]), &Syntax::Name);
  if (syntax == kSyntax.end()) {
    return SyntaxError{"unknown operation " + std::string(args[0]), std::nullopt};
  }
  const Operation op = syntax->Op;
  const auto error = [op](std::string message) { return SyntaxError{std::move(message), op}; };

  Command command;
  command.Op = op;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string option = Lower(args[i]);
    if (option == "/?") return HelpRequest{op};
    if (!Lists(kAllSwitches, option)) {
      command.Operands.emplace_back(args[i]);
      continue;
    }
    if (!Lists(syntax->Switches, option)) {
      return error(std::string(args[i]) + " is not an option of qvreg " +
                   std::string(syntax->Name));
    }
    std::optional<std::string> operand;
    if (option == "/v" || option == "/t" || option == "/d") {
      if (i + 1 == args.size()) return error(std::string(args[i]) + " needs a value after it");
      operand = std::string(args[++i]);
    }
    if (option == "/v" || option == "/ve" || option == "/va") {
      if (command.ValueName || command.AllValues) return error("give only one of /v, /ve and /va");
      if (option == "/va") {
        command.AllValues = true;
      } else {
        command.ValueName = option == "/v" ? *operand : std::string();
      }
    } else if (option == "/t") {
      command.Type = operand;
    } else if (option == "/d") {
      command.Data = operand;
    } else if (option == "/f") {
      command.Force = true;
    } else if (option == "/s") {
      command.Subkeys = true;
    } else {  // /y
      command.Overwrite = true;
    }
  }
  if (command.Operands.size() != syntax->Operands) {
    return error(command.Operands.size() < syntax->Operands ? "too few parameters"
                                                            : "too many parameters");
  }
  return command;
}

}  // namespace qvtouch::qvreg
