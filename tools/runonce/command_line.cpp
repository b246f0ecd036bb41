#include "tools/runonce/command_line.h"

namespace qvtouch::runonce {
namespace {

constexpr char kQuote = '"';
constexpr char kBackslash = '\\';

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

void SkipBlanks(std::string_view& line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
}

std::string TakeProgram(std::string_view& line) {
  std::string program;
  bool quoted = false;
  while (!line.empty() && (quoted || !IsBlank(line.front()))) {
    const char c = line.front();
    line.remove_prefix(1);
    if (c == kQuote) {
      quoted = !quoted;
    } else {
      program += c;
    }
  }
  return program;
}

// The run of backslashes at the front of line, taken off it, then what it means before a quote.
void TakeBackslashes(std::string_view& line, std::string& argument) {
  std::size_t count = 0;
  while (!line.empty() && line.front() == kBackslash) {
    line.remove_prefix(1);
    ++count;
  }
  if (line.empty() || line.front() != kQuote) {
    argument.append(count, kBackslash);
    return;
  }
  argument.append(count / 2, kBackslash);
  if (count % 2 == 1) {
    argument += kQuote;
    line.remove_prefix(1);
  }
}

std::string TakeArgument(std::string_view& line) {
  std::string argument;
  bool quoted = false;
  while (!line.empty() && (quoted || !IsBlank(line.front()))) {
    const char c = line.front();
    if (c == kBackslash) {
      TakeBackslashes(line, argument);
      continue;
    }
    line.remove_prefix(1);
    if (c != kQuote) {
      argument += c;
    } else if (quoted && !line.empty() && line.front() == kQuote) {
      argument += kQuote;
      line.remove_prefix(1);
    } else {
      quoted = !quoted;
    }
  }
  return argument;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view line) {
  CommandLine command;
  SkipBlanks(line);
  command.Program = TakeProgram(line);
  for (SkipBlanks(line); !line.empty(); SkipBlanks(line)) {
    command.Arguments.push_back(TakeArgument(line));
  }
  return command;
}

}  // namespace qvtouch::runonce
