// Value types and data as qvreg shows them and takes them on its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/winreg.h"

namespace qvtouch::qvreg {

// REG_SZ, REG_DWORD or REG_BINARY, in any case.
std::optional<DWORD> TypeNamed(std::string_view name);
std::string_view TypeName(DWORD type);

// Text as query shows it: each control character (a zero byte, a line break, an escape, ...) as
// \x and two hex digits, so that no stored name or text can add or change lines of a listing or
// talk to the terminal.
std::string Printable(std::string_view text);

// As query shows it: REG_SZ text (Printable), a REG_DWORD as 0x and lower-case hex, REG_BINARY
// bytes as upper-case hex digit pairs.
std::string DisplayData(DWORD type, std::span<const std::uint8_t> data);

// The data for RegSetValueExA from add's /d text: REG_SZ the text; REG_DWORD a decimal number from
// -2147483648 (two's complement) to 4294967295, or 0x and up to 8 hex digits; REG_BINARY an even
// number of hex digits. nullopt when the text is not data of the type.
std::optional<std::vector<std::uint8_t>> ParseData(DWORD type, std::string_view text);

}  // namespace qvtouch::qvreg
