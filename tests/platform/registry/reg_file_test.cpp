// The .reg format: what the reader takes, what it refuses and where, and what the writer writes.
#include "platform/registry/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvtouch::platform {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> Text(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

RegFile Read(const std::vector<std::uint8_t>& bytes) {
  auto read = ReadRegFile(bytes);
  if (const auto* error = std::get_if<RegFileError>(&read)) {
    ADD_FAILURE() << "line " << error->Line << ": " << error->Message;
    return {};
  }
  return std::get<RegFile>(read);
}

// Every form of data the reader takes, with comments, both line ends and a continued line.
constexpr std::string_view kEveryForm =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; settings\n"
    "[HKEY_LOCAL_MACHINE\\Software\\QVTouch]\r\n"
    "\"Port\"=dword:0000001E\r\n"
    "  \"Path\" = \"C:\\\\Program Files\\\\\\\"QV\\\"\"\n"
    "@=\"\"\n"
    "\"Raw\"=hex:01,02,\\\n"
    "  ff\n"
    "\"Empty\"=hex:\n"
    "\"Wide\"=hex(1):41,00,0a,00,42,00,00,00\n"
    "\"Four\"=hex(4):2a,00,00,00\n"
    "\"Old\"=-\n"
    "[-HKEY_CURRENT_USER\\Obsolete]\n";

// With the line each key and value starts on.
const RegFile kEveryFormRead{{
    {R"(HKEY_LOCAL_MACHINE\Software\QVTouch)",
     false,
     {{"Port", false, REG_DWORD, {0x1E, 0, 0, 0}, 5},
      {"Path", false, REG_SZ, Text(R"(C:\Program Files\"QV")"), 6},
      {"", false, REG_SZ, Text(""), 7},
      {"Raw", false, REG_BINARY, {1, 2, 0xFF}, 8},
      {"Empty", false, REG_BINARY, {}, 10},
      {"Wide", false, REG_SZ, Text("A\nB"), 11},
      {"Four", false, REG_DWORD, {42, 0, 0, 0}, 12},
      {"Old", true, REG_SZ, {}, 13}},
     4},
    {R"(HKEY_CURRENT_USER\Obsolete)", true, {}, 14},
}};

TEST(RegFileReader, ReadsEveryFormOfData) {
  EXPECT_EQ(Read(Bytes(kEveryForm)), kEveryFormRead);
}

TEST(RegFileReader, ReadsUtf8WithItsMarkAndUtf16LeWithItsMark) {
  std::vector<std::uint8_t> utf8{0xEF, 0xBB, 0xBF};
  std::vector<std::uint8_t> utf16{0xFF, 0xFE};
  for (const char c : kEveryForm) {
    utf8.push_back(static_cast<std::uint8_t>(c));
    utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
  }
  EXPECT_EQ(Read(utf8), kEveryFormRead);
  EXPECT_EQ(Read(utf16), kEveryFormRead);
}

TEST(RegFileReader, RefusesWhatItCannotTakeAndSaysOnWhichLine) {
  const std::string header = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n";
  const std::vector<std::pair<std::string, std::size_t>> bad{
      {"REGEDIT4\n", 1},
      {"", 1},
      {"Windows Registry Editor Version 5.00\n\"A\"=dword:1\n", 2},  // before any key
      {header + "\"A\"=\"unterminated\n", 3},
      {header + "\"A\"=\"\\n\"\n", 3},  // only \\ and \" are escapes
      {header + "\"A\"=\"x\" trailing\n", 3},
      {header + "\"A\"=dword:123456789\n", 3},
      {header + "\"A\"=dword:-1\n", 3},
      {header + "\"A\"=hex:1,,2\n", 3},
      {header + "\"A\"=hex:100\n", 3},
      {header + "\"A\"=hex:01,\n", 3},
      {header + "\"A\"=hex(2):41,00,00,00\n", 3},  // REG_EXPAND_SZ: not held by the store
      {header + "\"A\"=hex(4):01,02\n", 3},
      {header + "\"A\"=hex(1):41\n", 3},
      {header + "\"A\"=string\n", 3},
      {header + "A=\"x\"\n", 3},
      {header + "\n\"A\"=\"a\rb\"\n", 4},
      {header + std::string("\"A\"=\"a\0b\"\n", 10), 3},
      {header + "[HKEY_CURRENT_USER\\K\n", 3},
      {header + "[]\n", 3},
      {header + "[-HKEY_CURRENT_USER\\K]\n\"A\"=-\n", 4},
  };
  for (const auto& [text, line] : bad) {
    const auto read = ReadRegFile(Bytes(text));
    const auto* error = std::get_if<RegFileError>(&read);
    ASSERT_NE(error, nullptr) << text;
    EXPECT_EQ(error->Line, line) << text;
    EXPECT_FALSE(error->Message.empty());
  }
  const std::vector<std::uint8_t> brokenUtf16{0xFF, 0xFE, 0x00,
                                              0xD8, 0x41, 0x00};  // lone surrogate
  EXPECT_TRUE(std::holds_alternative<RegFileError>(ReadRegFile(brokenUtf16)));
}

TEST(RegFileWriter, WritesTheFormatThatReadsBackTheSame) {
  const RegFile content{{
      {R"(HKEY_CURRENT_USER\Control Panel\Mouse)",
       false,
       {{"", false, REG_SZ, Text("default"), 4},
        {"Quote\"d", false, REG_SZ, Text(R"(C:\dir)"), 5},
        {"Lines", false, REG_SZ, Text("a\r\nb"), 6},
        {"XL", false, REG_DWORD, {0x60, 0xF0, 0xFF, 0xFF}, 7},
        {"Raw", false, REG_BINARY, {0, 0xAB}, 8},
        {"Gone", true, REG_SZ, {}, 9}},
       3},
      {R"(HKEY_CURRENT_USER\Old)", true, {}, 11},
  }};
  const auto written = WriteRegFile(content);
  ASSERT_TRUE(std::holds_alternative<std::string>(written));
  EXPECT_EQ(std::get<std::string>(written),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Control Panel\\Mouse]\r\n"
            "@=\"default\"\r\n"
            "\"Quote\\\"d\"=\"C:\\\\dir\"\r\n"
            "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"
            "\"XL\"=dword:fffff060\r\n"
            "\"Raw\"=hex:00,ab\r\n"
            "\"Gone\"=-\r\n"
            "\r\n"
            "[-HKEY_CURRENT_USER\\Old]\r\n"
            "\r\n");
  EXPECT_EQ(Read(Bytes(std::get<std::string>(written))), content);
}

TEST(RegFileWriter, RefusesWhatTheFormatCannotHold) {
  const std::vector<RegFile> unwritable{
      {{{"HKEY_CURRENT_USER\\A\nB", false, {}}}},
      {{{"HKEY_CURRENT_USER\\A", false, {{"Two\nLines", false, REG_SZ, Text("x")}}}}},
      {{{"HKEY_CURRENT_USER\\A", false, {{"Latin1", false, REG_SZ, Text("\xE9\n")}}}}},
  };
  for (const RegFile& content : unwritable) {
    EXPECT_TRUE(std::holds_alternative<RegFileError>(WriteRegFile(content)));
  }
}

}  // namespace
}  // namespace qvtouch::platform
