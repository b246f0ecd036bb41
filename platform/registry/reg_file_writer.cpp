#include <cstdio>
#include <string_view>

#include "common/little_endian.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/utf16.h"

namespace qvtouch::platform {
namespace {

// What the format cannot hold; WriteRegFile turns it into its error.
struct WriteFault {
  std::string Message;
};

constexpr std::string_view kLineEnd = "\r\n";

bool HoldsLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// A name goes on one line between brackets or quotes.
std::string_view CheckedName(std::string_view name) {
  if (!RegFileHoldsName(name)) {
    throw WriteFault{"the name \"" + std::string(name) +
                     "\" holds a line break or a zero byte, which a .reg file cannot hold"};
  }
  return name;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string HexList(std::span<const std::uint8_t> bytes) {
  std::string list;
  for (const std::uint8_t byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    if (!list.empty()) list += ',';
    list += digits;
  }
  return list;
}

std::string TextData(const RegFileValue& value) {
  const std::string_view stored(reinterpret_cast<const char*>(value.Data.data()),
                                value.Data.size());
  const std::string_view text = stored.substr(0, stored.find('\0'));
  if (!HoldsLineBreak(text)) return Quoted(text);
  // Quotes hold no line break: such text goes as UTF-16LE with its terminating zero.
  auto units = Utf8ToUtf16Le(text);
  if (!units) {
    throw WriteFault{
        "the value \"" + value.Name +
        "\" holds a line break in text that is not UTF-8, which a .reg file cannot hold"};
  }
  units->insert(units->end(), {0, 0});
  return "hex(1):" + HexList(*units);
}

std::string Data(const RegFileValue& value) {
  if (value.Remove) return "-";
  switch (value.Type) {
    case REG_SZ:
      return TextData(value);
    case REG_DWORD:
      if (value.Data.size() == sizeof(DWORD)) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", LoadU32(value.Data, 0));
        return digits;
      }
      break;
    case REG_BINARY:
      return "hex:" + HexList(value.Data);
    default:
      break;
  }
  char type[16];
  std::snprintf(type, sizeof type, "hex(%x):", value.Type);
  return type + HexList(value.Data);
}

std::string ValueLine(const RegFileValue& value) {
  const std::string name = value.Name.empty() ? "@" : Quoted(CheckedName(value.Name));
  return name + "=" + Data(value) + std::string(kLineEnd);
}

}  // namespace

bool RegFileHoldsName(std::string_view name) {
  return !HoldsLineBreak(name) && name.find('\0') == std::string_view::npos;
}

std::variant<std::string, RegFileError> WriteRegFile(const RegFile& file) {
  std::string text = std::string(kRegFileHeader) + std::string(kLineEnd) + std::string(kLineEnd);
  try {
    for (const RegFileKey& key : file.Keys) {
      text += (key.Remove ? "[-" : "[") + std::string(CheckedName(key.Path)) + "]";
      text += kLineEnd;
      for (const RegFileValue& value : key.Values) text += ValueLine(value);
      text += kLineEnd;
    }
  } catch (const WriteFault& fault) {
    return RegFileError{0, fault.Message};
  }
  return text;
}

}  // namespace qvtouch::platform
