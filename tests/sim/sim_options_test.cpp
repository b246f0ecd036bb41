// qvtouch-sim's command line: the pace of a slow line, and what it refuses.
#include <gtest/gtest.h>

#include <array>

#include "tools/sim/sim_options.h"

namespace qvtouch::sim {
namespace {

std::variant<SimOptions, std::string> Parse(std::initializer_list<std::string_view> args) {
  return ParseSimOptions(std::span(args.begin(), args.size()));
}

TEST(SimOptions, PaceSlowsTheLineAndIsRefusedWithoutOneOrOutOfRange) {
  const auto paced = Parse({"--tty", "/dev/null", "--pace", "2400"});
  ASSERT_TRUE(std::holds_alternative<SimOptions>(paced));
  EXPECT_EQ(std::get<SimOptions>(paced).PaceBaud, 2400u);
  EXPECT_EQ(std::get<SimOptions>(Parse({"--tty", "/dev/null"})).PaceBaud, kLineBaudRate);

  for (const auto& args : std::array<std::initializer_list<std::string_view>, 6>{{
           {"--pace", "2400"},                                    // no line
           {"--tty", "/dev/null", "--pace", "299"},               // slower than the slowest
           {"--tty", "/dev/null", "--pace", "19200"},             // faster than the line
           {"--tty", "/dev/null", "--pace", "24OO"},              // not a number
           {"--tty", "/dev/null", "--pace"},                      // no rate
           {"--tty", "/dev/null", "--pace", "2400", "--fast"},    // both
       }}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(Parse(args)));
  }
}

}  // namespace
}  // namespace qvtouch::sim
