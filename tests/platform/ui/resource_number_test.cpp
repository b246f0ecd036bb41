// Resource names in the text form of a number, as templates and icon loads give them.
#include <gtest/gtest.h>

#include "platform/ui/resources.h"

namespace qvtouch::ui {
namespace {

TEST(ResourceNumber, ReadsTheNumberAfterAHashAndNothingElse) {
  EXPECT_EQ(ResourceNumber("#4007"), 4007);
  EXPECT_EQ(ResourceNumber("#1"), 1);
  EXPECT_EQ(ResourceNumber("#65535"), 65535);
  EXPECT_EQ(ResourceNumber("#0"), std::nullopt) << "resource numbers start at 1";
  EXPECT_EQ(ResourceNumber("#65536"), std::nullopt) << "they are 16 bits";
  EXPECT_EQ(ResourceNumber("#-4"), std::nullopt);
  EXPECT_EQ(ResourceNumber("#12a"), std::nullopt);
  EXPECT_EQ(ResourceNumber("#"), std::nullopt);
  EXPECT_EQ(ResourceNumber("4007"), std::nullopt);
  EXPECT_EQ(ResourceNumber(":/bitmaps/4007.png"), std::nullopt);
}

}  // namespace
}  // namespace qvtouch::ui
