// The .reg text format, as the platform's registry editor writes it:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\QVTouch\Parameters]
//   "Port"=dword:00000001
//   "Name"="text with \\ and \" escaped"
//   "Data"=hex:01,02,ff
//   @="the default value"
//   "Gone"=-
//
//   [-HKEY_CURRENT_USER\Obsolete]
//
// Read: UTF-8 (with or without a byte-order mark) or UTF-16LE with its byte-order mark; lines end
// in CRLF or LF; a line ending in a backslash continues on the next; lines starting with ';' are
// comments. Besides dword: and hex:, hex(1) (REG_SZ as UTF-16LE), hex(3) (REG_BINARY) and hex(4)
// (REG_DWORD) are read; other types are refused, since the store holds no others.
// Written: UTF-8 without a byte-order mark, CRLF line ends; a REG_SZ value holding a line break is
// written as hex(1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/registry/winreg.h"

namespace qvtouch::platform {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

struct RegFileValue {
  std::string Name;     // empty for the default value, written @
  bool Remove = false;  // "Name"=- : delete the value
  DWORD Type = REG_SZ;
  std::vector<std::uint8_t> Data;  // as RegSetValueExA takes it: REG_SZ text ends in a zero byte
  std::size_t Line = 0;            // where it starts in the file read; 0 when not read from one
  bool operator==(const RegFileValue&) const = default;
};

struct RegFileKey {
  std::string Path;     // the full key name, "HKEY_LOCAL_MACHINE\..."
  bool Remove = false;  // [-Path] : delete the key and everything under it
  std::vector<RegFileValue> Values;
  std::size_t Line = 0;  // as for a value
  bool operator==(const RegFileKey&) const = default;
};

struct RegFile {
  std::vector<RegFileKey> Keys;
  bool operator==(const RegFile&) const = default;
};

struct RegFileError {
  std::size_t Line;  // from 1; 0 for the file as a whole
  std::string Message;
};

// The keys and values of a .reg file, or the first thing wrong with it.
std::variant<RegFile, RegFileError> ReadRegFile(std::span<const std::uint8_t> bytes);

// Whether a .reg file can hold this name of a key or a value: one without a line break or a zero
// byte.
bool RegFileHoldsName(std::string_view name);

// The text of a .reg file, or what in the content the format cannot hold: a name it cannot hold,
// or a line break in text that is not valid UTF-8.
std::variant<std::string, RegFileError> WriteRegFile(const RegFile& file);

}  // namespace qvtouch::platform
