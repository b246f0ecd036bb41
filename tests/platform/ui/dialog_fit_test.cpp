// Making room for a window that a dialog's code added over the template's controls.
#include "platform/ui/dialog_fit.h"

#include <gtest/gtest.h>

namespace qvtouch::ui {
namespace {

TEST(DialogFit, ControlsUnderAnAddedWindowMoveBelowItWithEveryControlAsLow) {
  std::vector<ControlPlace> controls{
      {{10, 5, 50, 20}},            // above the added window's top: stays
      {{10, 150, 60, 170}},         // covered: moves
      {{100, 160, 150, 180}},       // as low, though not covered: moves with it
      {{0, 200, 300, 210}, false},  // hidden: moves, but never counts as covered
  };
  const LONG moved = ClearAddedWindows(controls, {{0, 10, 300, 180}}, 4);
  EXPECT_EQ(moved, 34);  // from 150 to 4 below 180
  EXPECT_EQ(controls[0].Rect, (CRect{10, 5, 50, 20}));
  EXPECT_EQ(controls[1].Rect, (CRect{10, 184, 60, 204}));
  EXPECT_EQ(controls[2].Rect, (CRect{100, 194, 150, 214}));
  EXPECT_EQ(controls[3].Rect, (CRect{0, 234, 300, 244}));
}

TEST(DialogFit, NothingMovesWhenNothingIsInTheWay) {
  std::vector<ControlPlace> controls{{{10, 190, 60, 200}}, {{10, 100, 60, 120}, false}};
  EXPECT_EQ(ClearAddedWindows(controls, {{0, 10, 300, 180}}, 4), 0) << "below it, or hidden";
  EXPECT_EQ(controls[0].Rect, (CRect{10, 190, 60, 200}));
  EXPECT_EQ(ClearAddedWindows(controls, {}, 4), 0);
}

TEST(DialogFit, TheDialogGrowsToShowEveryChildWithTheSameMargin) {
  EXPECT_EQ(FittedClientSize({{6, 4, 100, 50}}, {200, 100}), (ClientSize{200, 100}));
  EXPECT_EQ(FittedClientSize({{6, 4, 250, 50}, {10, 90, 40, 130}}, {200, 100}),
            (ClientSize{256, 134}));
  EXPECT_EQ(FittedClientSize({}, {200, 100}), (ClientSize{200, 100}));
}

}  // namespace
}  // namespace qvtouch::ui
