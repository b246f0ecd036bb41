// Dialog units to pixels, and the fonts that templates name.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "platform/ui/dialog_units.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::ui {
namespace {

const bool kApplication = testing::UseQtApplication();

TEST(DialogUnits, TurnIntoPixelsByTheBaseUnitsRoundingHalvesAwayFromZero) {
  const BaseUnits units{7, 13};
  // 89 * 7 / 4 = 155.75, 164 * 13 / 8 = 266.5, 45 * 7 / 4 = 78.75, 14 * 13 / 8 = 22.75
  EXPECT_EQ(ToPixels(DialogUnitRect{89, 164, 45, 14}, units), QRect(156, 267, 79, 23));
  EXPECT_EQ(ToPixels(DialogSize{219, 182}, BaseUnits{8, 15}), QSize(438, 341));
  EXPECT_EQ(ToPixels(DialogUnitRect{-4, -8, 0, 0}, units), QRect(-7, -13, 0, 0));
}

TEST(DialogUnits, ComeFromTheTemplateFontWhichFallsBackToAnInstalledSansSerifFace) {
  const QFont dialogFont = TemplateFont({"MS Sans Serif", 10});
  EXPECT_EQ(dialogFont.pointSize(), 10);
  EXPECT_FALSE(QFontInfo(dialogFont).family().isEmpty());
  const BaseUnits dialog = FontBaseUnits(dialogFont);
  const BaseUnits sheet = FontBaseUnits(TemplateFont(kPropertySheetFont));
  EXPECT_GT(sheet.X, 0);
  EXPECT_GT(sheet.Y, 0);
  EXPECT_GE(dialog.X, sheet.X) << "the sheet lays its pages out in the smaller default font";
  EXPECT_GT(dialog.Y, sheet.Y);
}

}  // namespace
}  // namespace qvtouch::ui
