#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>

#include "common/little_endian.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/utf16.h"

namespace qvtouch::platform {
namespace {

// What is wrong with the line being read; ReadRegFile adds the line's number.
struct LineFault {
  std::string Message;
};

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// prefix in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::ranges::equal(text.substr(0, prefix.size()), prefix, [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

template <class Number>
std::optional<Number> ParseHex(std::string_view digits, std::size_t mostDigits) {
  Number number{};
  if (digits.empty() || digits.size() > mostDigits) return std::nullopt;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number, 16);
  if (error != std::errc() || stop != end) return std::nullopt;
  return number;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> mark) {
  return bytes.size() >= mark.size() && std::ranges::equal(bytes.first(mark.size()), mark);
}

// The file's text in UTF-8.
std::optional<std::string> DecodeText(std::span<const std::uint8_t> bytes) {
  constexpr std::array<std::uint8_t, 2> kUtf16LeMark{0xFF, 0xFE};
  constexpr std::array<std::uint8_t, 3> kUtf8Mark{0xEF, 0xBB, 0xBF};
  if (StartsWith(bytes, kUtf16LeMark)) return Utf16LeToUtf8(bytes.subspan(kUtf16LeMark.size()));
  if (StartsWith(bytes, kUtf8Mark)) bytes = bytes.subspan(kUtf8Mark.size());
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string_view> PhysicalLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

// The text of the quoted string that text starts with, \\ and \" unescaped; text is left after
// the closing quote.
std::string TakeQuoted(std::string_view& text) {
  std::string unquoted;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '"') {
      text.remove_prefix(i + 1);
      return unquoted;
    }
    if (text[i] == '\\') {
      if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
        throw LineFault{R"(a backslash between quotes must be followed by \ or ")"};
      }
      ++i;
    }
    unquoted.push_back(text[i]);
  }
  throw LineFault{"a quoted string has no closing quote"};
}

std::vector<std::uint8_t> HexBytes(std::string_view list) {
  std::vector<std::uint8_t> bytes;
  list = Trim(list);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = Trim(list.substr(0, comma));
    const auto byte = ParseHex<std::uint8_t>(item, 2);
    if (!byte) throw LineFault{"hex data: \"" + std::string(item) + "\" is not a byte in hex"};
    bytes.push_back(*byte);
    if (comma == std::string_view::npos) break;
    list = list.substr(comma + 1);
    if (Trim(list).empty()) throw LineFault{"hex data ends in a comma"};
  }
  return bytes;
}

void SetText(RegFileValue& value, std::string_view text) {
  text = text.substr(0, text.find('\0'));  // REG_SZ text ends at its first zero
  value.Type = REG_SZ;
  value.Data.assign(text.begin(), text.end());
  value.Data.push_back(0);
}

void SetDword(RegFileValue& value, std::uint32_t number) {
  value.Type = REG_DWORD;
  value.Data.resize(sizeof number);
  StoreU32(value.Data, 0, number);
}

// hex(N):bytes, a value of type N.
void ReadTypedHex(std::string_view data, RegFileValue& value) {
  const std::size_t close = data.find("):");
  const std::string_view kind = data.substr(4, close == std::string_view::npos ? 0 : close - 4);
  const auto type = ParseHex<DWORD>(kind, 8);
  if (!type) throw LineFault{"hex(N): needs a type number N in hex"};
  std::vector<std::uint8_t> bytes = HexBytes(data.substr(close + 2));
  switch (*type) {
    case REG_SZ: {
      const auto text = Utf16LeToUtf8(bytes);
      if (!text) throw LineFault{"hex(1): the bytes are not UTF-16LE text"};
      SetText(value, *text);
      return;
    }
    case REG_DWORD:
      if (bytes.size() != sizeof(DWORD)) throw LineFault{"hex(4): a REG_DWORD needs 4 bytes"};
      SetDword(value, LoadU32(bytes, 0));
      return;
    case REG_BINARY:
      value.Type = REG_BINARY;
      value.Data = std::move(bytes);
      return;
    default:
      throw LineFault{"hex(" + std::string(kind) +
                      "): a type the store does not hold (it holds REG_SZ, REG_DWORD and "
                      "REG_BINARY)"};
  }
}

void ReadData(std::string_view data, RegFileValue& value) {
  if (data == "-") {
    value.Remove = true;
  } else if (data.starts_with('"')) {
    const std::string text = TakeQuoted(data);
    if (!Trim(data).empty()) throw LineFault{"text after the closing quote"};
    SetText(value, text);
  } else if (StartsWithNoCase(data, "dword:")) {
    const auto number = ParseHex<std::uint32_t>(Trim(data.substr(6)), 8);
    if (!number) throw LineFault{"dword: needs 1 to 8 hex digits"};
    SetDword(value, *number);
  } else if (StartsWithNoCase(data, "hex:")) {
    value.Type = REG_BINARY;
    value.Data = HexBytes(data.substr(4));
  } else if (StartsWithNoCase(data, "hex(")) {
    ReadTypedHex(data, value);
  } else {
    throw LineFault{R"(unknown data: expected "text", dword:, hex:, hex(N): or -)"};
  }
}

RegFileValue ReadValueLine(std::string_view line) {
  RegFileValue value;
  if (line.starts_with('@')) {
    line.remove_prefix(1);
  } else if (line.starts_with('"')) {
    value.Name = TakeQuoted(line);
  } else {
    throw LineFault{R"(expected a [key] line, "Name"=data, @=data or a ; comment)"};
  }
  line = Trim(line);
  if (!line.starts_with('=')) throw LineFault{"expected = after the value's name"};
  ReadData(Trim(line.substr(1)), value);
  return value;
}

RegFileKey ReadKeyLine(std::string_view line) {
  if (!line.ends_with(']')) throw LineFault{"a [key] line must end in ]"};
  std::string_view path = line.substr(1, line.size() - 2);
  RegFileKey key;
  key.Remove = path.starts_with('-');
  if (key.Remove) path.remove_prefix(1);
  if (path.empty()) throw LineFault{"a [key] line without a key name"};
  key.Path = path;
  return key;
}

void ReadLine(std::string_view line, std::size_t number, RegFile& file) {
  if (line.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos) {
    throw LineFault{"a carriage return or a zero byte inside the line"};
  }
  if (line.starts_with('[')) {
    file.Keys.push_back(ReadKeyLine(line));
    file.Keys.back().Line = number;
    return;
  }
  if (file.Keys.empty()) throw LineFault{"a value before the first [key] line"};
  if (file.Keys.back().Remove) throw LineFault{"a value under a key that is being deleted"};
  file.Keys.back().Values.push_back(ReadValueLine(line));
  file.Keys.back().Values.back().Line = number;
}

}  // namespace

std::variant<RegFile, RegFileError> ReadRegFile(std::span<const std::uint8_t> bytes) {
  const auto text = DecodeText(bytes);
  if (!text) return RegFileError{0, "the file starts as UTF-16LE text but is not UTF-16LE"};
  const std::vector<std::string_view> lines = PhysicalLines(*text);
  if (lines.empty() || Trim(lines[0]) != kRegFileHeader) {
    return RegFileError{
        1, "not a registry file: the first line must be \"" + std::string(kRegFileHeader) + "\""};
  }
  RegFile file;
  for (std::size_t next = 1; next < lines.size();) {
    const std::size_t number = next + 1;
    std::string line(Trim(lines[next++]));
    if (line.empty() || line.starts_with(';')) continue;
    // A value's data may go on over lines that each end in a backslash.
    while (!line.starts_with('[') && line.ends_with('\\') && next < lines.size()) {
      line.pop_back();
      line += Trim(lines[next++]);
    }
    try {
      ReadLine(line, number, file);
    } catch (const LineFault& fault) {
      return RegFileError{number, fault.Message};
    }
  }
  return file;
}

}  // namespace qvtouch::platform
