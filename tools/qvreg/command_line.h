// qvreg's command line, in the syntax of the platform's reg.exe.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qvtouch::qvreg {

enum class Operation { Query, Add, Delete, Export, Import };

struct Command {
  Operation Op = Operation::Query;
  std::vector<std::string> Operands;     // KEY; KEY and FILE for export; FILE for import
  std::optional<std::string> ValueName;  // /v NAME, or "" for /ve
  bool AllValues = false;                // /va
  std::optional<std::string> Type;       // /t
  std::optional<std::string> Data;       // /d
  bool Force = false;                    // /f
  bool Subkeys = false;                  // /s
  bool Overwrite = false;                // /y
};

// /? : the usage of one operation, or of qvreg as a whole.
struct HelpRequest {
  std::optional<Operation> Op;
};

struct SyntaxError {
  std::string Message;
  std::optional<Operation> Op;  // the operation whose usage to point to, when known
};

std::variant<Command, HelpRequest, SyntaxError> ParseCommandLine(
    std::span<const std::string_view> args);

std::string_view OperationName(Operation op);

}  // namespace qvtouch::qvreg
