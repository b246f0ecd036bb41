// qvreg: the registry store's command-line tool, in the syntax and output of the platform's
// reg.exe. See usage.cpp, or run "qvreg /?".
#include <iostream>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/qvreg/command_line.h"
#include "tools/qvreg/commands.h"
#include "tools/qvreg/messages.h"
#include "tools/qvreg/usage.h"

using namespace qvtouch::qvreg;

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto parsed = ParseCommandLine(args);
  if (const auto* help = std::get_if<HelpRequest>(&parsed)) {
    std::cout << Usage(help->Op);
    return kSucceeded;
  }
  if (const auto* error = std::get_if<SyntaxError>(&parsed)) {
    const std::string usage =
        error->Op ? "qvreg " + std::string(OperationName(*error->Op)) + " /?" : "qvreg /?";
    return Fail("Invalid syntax: " + error->Message + ".\nType \"" + usage + "\" for usage.");
  }
  const Command& command = std::get<Command>(parsed);
  switch (command.Op) {
    case Operation::Query:
      return Query(command);
    case Operation::Add:
      return Add(command);
    case Operation::Delete:
      return Delete(command);
    case Operation::Export:
      return Export(command);
    case Operation::Import:
      return Import(command);
  }
  return kFailed;
}
