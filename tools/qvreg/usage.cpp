#include "tools/qvreg/usage.h"

namespace qvtouch::qvreg {
namespace {

constexpr std::string_view kGeneral =
    R"usage(qvreg: the registry store's command-line tool, in the syntax of reg.exe.

  qvreg query  KEY [/v NAME | /ve] [/s]
  qvreg add    KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]
  qvreg delete KEY [/v NAME | /ve | /va] [/f]
  qvreg export KEY FILE [/y]
  qvreg import FILE

KEY is ROOT\SUBKEY, ROOT one of HKLM, HKCU, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
qvreg never asks a question: where reg.exe would ask, it refuses with an ERROR line unless
the command says /f (or /y for export). Exit status 0 on success, 1 on failure.
"qvreg OPERATION /?" describes one operation.
)usage";

constexpr std::string_view kQuery = R"usage(qvreg query KEY [/v NAME | /ve] [/s]

  Shows the values of KEY and lists its subkeys.
  /v NAME  shows only the value NAME.
  /ve      shows only the default value, "(Default)".
  /s       shows KEY and every key under it; with /v or /ve, every key that holds the value,
           then the number of matches.
)usage";

constexpr std::string_view kAdd = R"usage(qvreg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]

  Creates KEY if needed and, with /v, /ve, /t or /d, sets a value in it.
  /v NAME  the value to set.
  /ve      the default value (also without /v: /t or /d alone set the default value).
  /t TYPE  REG_SZ (the default), REG_DWORD or REG_BINARY.
  /d DATA  REG_SZ: the text. REG_DWORD: a decimal number from -2147483648 to 4294967295, or 0x
           and up to 8 hex digits. REG_BINARY: hex digit pairs, such as 0102ff.
  /f       replaces an existing value. Without /f an existing value is refused, not replaced.
)usage";

constexpr std::string_view kDelete = R"usage(qvreg delete KEY [/v NAME | /ve | /va] [/f]

  Deletes KEY with everything under it, or values of KEY.
  /v NAME  deletes the value NAME.
  /ve      deletes the default value.
  /va      deletes every value of KEY, keeping its subkeys.
  /f       is required: qvreg does not ask for confirmation, and refuses without /f.
)usage";

constexpr std::string_view kExport = R"usage(qvreg export KEY FILE [/y]

  Writes KEY and everything under it to FILE in the .reg format ("Windows Registry Editor
  Version 5.00"), as UTF-8.
  /y       replaces an existing FILE. Without /y an existing FILE is refused, not replaced.
)usage";

constexpr std::string_view kImport = R"usage(qvreg import FILE

  Applies a .reg file (UTF-8, or UTF-16LE with its byte-order mark). The whole file is checked
  before anything is written, so a file with an error in it changes nothing; a registry call
  that fails (access denied, say) stops the import there.
)usage";

}  // namespace

std::string_view Usage(std::optional<Operation> op) {
  if (!op) return kGeneral;
  switch (*op) {
    case Operation::Query:
      return kQuery;
    case Operation::Add:
      return kAdd;
    case Operation::Delete:
      return kDelete;
    case Operation::Export:
      return kExport;
    case Operation::Import:
      return kImport;
  }
  return kGeneral;
}

}  // namespace qvtouch::qvreg
