// A command line in the platform's form, split into the program and its arguments as the
// platform's process start and its C runtime split it:
//
//   "C:\Program Files\QVSerTouch\qvsercalib.exe" /x "two words" a\"b
//     program: C:\Program Files\QVSerTouch\qvsercalib.exe
//     arguments: /x, two words, a"b
//
// The program is the text up to the first blank or tab, where double quotes only group: it may
// hold blanks between them and backslashes are plain characters. In the arguments, double quotes
// group and blanks and tabs separate; 2n backslashes before a double quote stand for n backslashes
// and the quote groups, 2n+1 stand for n backslashes and a plain quote, and "" inside quotes is a
// plain quote. Backslashes elsewhere are plain. A missing closing quote ends at the line's end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvtouch::runonce {

struct CommandLine {
  std::string Program;  // empty for a blank line
  std::vector<std::string> Arguments;
};

CommandLine ParseCommandLine(std::string_view line);

}  // namespace qvtouch::runonce
