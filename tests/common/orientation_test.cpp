#include "common/orientation.h"

#include <gtest/gtest.h>

namespace qvtouch {
namespace {

TEST(OrientationRule, TheSpanSignsGiveTheTurn) {
  EXPECT_EQ(OrientationOf(3800, 3800, 90), 0);
  EXPECT_EQ(OrientationOf(-800, 600, 0), 90);
  EXPECT_EQ(OrientationOf(-3800, -3800, 0), 180);
  EXPECT_EQ(OrientationOf(3800, -3800, 0), 270);
}

TEST(OrientationRule, AZeroSpanKeepsThePreviousOrientation) {
  EXPECT_EQ(OrientationOf(0, 5, 90), 90);
  EXPECT_EQ(OrientationOf(5, 0, 270), 270);
  EXPECT_EQ(OrientationOf(0, 0, 180), 180);
}

}  // namespace
}  // namespace qvtouch
