// Command lines of the platform's form split into the program and its arguments.
#include <gtest/gtest.h>

#include "tools/runonce/command_line.h"

namespace qvtouch::runonce {
namespace {

struct Case {
  const char* Line;
  std::string Program;
  std::vector<std::string> Arguments;
};

TEST(ParseCommandLine, SplitsAsThePlatformDoes) {
  const Case cases[] = {
      // The quoted program path keeps its blanks and backslashes.
      {R"("C:\Program Files\QVSerTouch\qvsercalib.exe")",
       R"(C:\Program Files\QVSerTouch\qvsercalib.exe)",
       {}},
      {R"("/opt/Program Files\QVSerTouch\qvsercalib.exe" /x)",
       R"(/opt/Program Files\QVSerTouch\qvsercalib.exe)",
       {"/x"}},
      // A backslash before the program's closing quote does not escape it.
      {R"("C:\dir\" arg)", R"(C:\dir\)", {"arg"}},
      {"  tool.exe\t a  b ", "tool.exe", {"a", "b"}},
      {R"(tool "two words" "" end)", "tool", {"two words", "", "end"}},
      {R"(tool a"b c"d)", "tool", {"ab cd"}},
      // Backslashes before a quote: 2n give n and a grouping quote, 2n+1 give n and a plain quote.
      {R"(tool a\"b c\\"d e" f\\\"g a\\b)", "tool", {R"(a"b)", R"(c\d e)", R"(f\"g)", R"(a\\b)"}},
      {R"(tool "a""b" "c\\")", "tool", {R"(a"b)", R"(c\)"}},
      // A missing closing quote runs to the end of the line.
      {R"("C:\Program Files\tool.exe)", R"(C:\Program Files\tool.exe)", {}},
      {R"(tool "open ended)", "tool", {"open ended"}},
      {"", "", {}},
      {"   ", "", {}},
      {R"("" arg)", "", {"arg"}},
  };
  for (const Case& c : cases) {
    const CommandLine parsed = ParseCommandLine(c.Line);
    EXPECT_EQ(parsed.Program, c.Program) << c.Line;
    EXPECT_EQ(parsed.Arguments, c.Arguments) << c.Line;
  }
}

}  // namespace
}  // namespace qvtouch::runonce
