// A property sheet: its tabs, its size, the pages it creates when they are first shown and reads
// back when they are left, and a dialog that makes room for the sheet it holds.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "platform/ui/controls.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/property_page.h"
#include "platform/ui/property_sheet.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::ui {
namespace {

using testing::Child;
using testing::SheetHost;
using testing::SheetPages;
using testing::SheetTabs;

const bool kApplication = testing::UseQtApplication();

constexpr int kLevel = 100;

constexpr ControlTemplate kPageControls[] = {
    {kLevel, ControlKind::Slider, "", {10, 10, 100, 15}},
};

constexpr DialogTemplate kSmallPage{801, "Small ", {100, 60}, {"MS Sans Serif", 10}, kPageControls};
constexpr DialogTemplate kLargePage{802, " Large", {200, 120}, {"Other Font", 14}, kPageControls};

class LevelPage : public CPropertyPage {
 public:
  explicit LevelPage(const DialogTemplate& pageTemplate) : CPropertyPage(pageTemplate) {}

  int m_level = 0;
  int m_initialised = 0;

 protected:
  BOOL OnInitDialog() override {
    ++m_initialised;
    return CPropertyPage::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* pDX) override { DDX_Slider(pDX, kLevel, m_level); }
};

TEST(PropertySheet, ShowsOneTabPerPageCaptionedByItsTemplateTitle) {
  LevelPage small(kSmallPage);
  LevelPage large(kLargePage);
  const SheetHost host({&small, &large});
  ASSERT_TRUE(host.Created());
  const TabRows& tabs = SheetTabs(host.Window());
  EXPECT_EQ(tabs.Current(), 0);
  EXPECT_FALSE(tabs.TabRect(1).isEmpty());
  EXPECT_TRUE(tabs.TabRect(2).isEmpty());
  EXPECT_EQ(SheetPages(host.Window()).count(), 2);
  EXPECT_EQ(SheetPages(host.Window()).currentIndex(), 0);
}

TEST(PropertySheet, LaysEveryPageOutInItsOwnFontAndTakesTheSizeOfTheLargest) {
  LevelPage small(kSmallPage);
  LevelPage large(kLargePage);
  const SheetHost host({&small, &large});
  const BaseUnits units = FontBaseUnits(TemplateFont(kPropertySheetFont));
  EXPECT_GE(host.Page(1).width(), ToPixels(kLargePage.Size, units).width());
  EXPECT_GE(host.Page(1).height(), ToPixels(kLargePage.Size, units).height());
  EXPECT_EQ(host.Page(0).size(), host.Page(1).size());
  EXPECT_EQ(host.Page(0).font().pointSize(), kPropertySheetFont.PointSize);
  EXPECT_EQ(Child<QSlider>(host.Page(0), kLevel)->geometry(),
            ToPixels(DialogUnitRect{10, 10, 100, 15}, units));
}

constexpr DialogTemplate kWidePage{
    804, "A rather long caption", {60, 40}, {"MS Sans Serif", 10}, kPageControls};

TEST(PropertySheet, StacksTabsThatDoNotFitInRowsWithTheChosenTabsRowNextToThePage) {
  std::vector<std::unique_ptr<LevelPage>> pages;
  for (int i = 0; i < 4; ++i) pages.push_back(std::make_unique<LevelPage>(kWidePage));
  const SheetHost host({pages[0].get(), pages[1].get(), pages[2].get(), pages[3].get()});
  const TabRows& tabs = SheetTabs(host.Window());
  const QRect pagesArea = SheetPages(host.Window()).geometry();
  EXPECT_GT(tabs.height(), tabs.TabRect(0).height()) << "more than one row";
  for (int i = 0; i < 4; ++i) {
    EXPECT_LE(tabs.TabRect(i).right(), pagesArea.right()) << "within the sheet's width";
  }
  EXPECT_EQ(tabs.TabRect(0).bottom() + 1, pagesArea.top()) << "the chosen tab's row is lowest";
  host.ClickTab(3);
  EXPECT_EQ(tabs.Current(), 3);
  EXPECT_EQ(tabs.TabRect(3).bottom() + 1, pagesArea.top());
  EXPECT_LT(tabs.TabRect(0).bottom() + 1, pagesArea.top());
}

TEST(PropertySheet, CreatesAPageWhenItIsFirstShown) {
  LevelPage small(kSmallPage);
  LevelPage large(kLargePage);
  const SheetHost host({&small, &large});
  EXPECT_EQ(small.m_initialised, 1);
  EXPECT_EQ(large.m_initialised, 0);
  EXPECT_EQ(large.GetDlgItem(kLevel), nullptr);
  host.ClickTab(1);
  EXPECT_EQ(large.m_initialised, 1);
  EXPECT_TRUE(Child<QSlider>(host.Page(1), kLevel)->isVisible()) << "created into a shown page";
  host.ClickTab(0);
  host.ClickTab(1);
  EXPECT_EQ(large.m_initialised, 1) << "once per sheet window";
}

TEST(PropertySheet, ReadsAPageBackWhenAnotherTabIsChosen) {
  LevelPage small(kSmallPage);
  LevelPage large(kLargePage);
  SheetHost host({&small, &large});
  auto* slider = Child<QSlider>(host.Page(0), kLevel);
  slider->setValue(42);  // a change the page's code was not told of
  EXPECT_EQ(small.m_level, 0);
  host.ClickTab(1);
  EXPECT_EQ(small.m_level, 42);
  EXPECT_EQ(host.Sheet().GetActiveIndex(), 1);
  EXPECT_EQ(host.Sheet().GetActivePage(), &large);
  slider->setValue(7);
  EXPECT_TRUE(host.Sheet().SetActivePage(0));
  EXPECT_EQ(small.m_level, 42) << "the page shown is not read back";
  EXPECT_FALSE(host.Sheet().SetActivePage(2));
}

constexpr ControlTemplate kHolderControls[] = {
    {IDOK, ControlKind::DefaultPushButton, "OK", {10, 40, 40, 14}},
};
constexpr DialogTemplate kHolder{803, "Holder", {60, 60}, {"MS Sans Serif", 10}, kHolderControls};

// A dialog smaller than the sheet its code adds.
class HolderDialog : public CDialog {
 public:
  HolderDialog() : CDialog(kHolder) {}
  LevelPage m_page{kLargePage};
  CPropertySheet m_sheet;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_sheet.AddPage(&m_page);
    m_sheet.Create(this, WS_CHILD | WS_VISIBLE);
    m_sheet.SetWindowPos(10, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
  }
};

TEST(PropertySheet, DialogMovesWhatTheSheetCoversBelowItAndGrowsToShowEverythingWhole) {
  HolderDialog dialog;
  testing::WhenModal([&dialog](QWidget& window) {
    const BaseUnits units = FontBaseUnits(TemplateFont(kHolder.Font));
    const QRect templateOk = ToPixels(kHolderControls[0].Rect, units);
    const int templateMargin = ToPixels(kHolder.Size, units).height() - (templateOk.bottom() + 1);
    const QRect sheet = dialog.m_sheet.GetSafeHwnd()->geometry();
    const QRect ok = Child<QPushButton>(window, IDOK)->geometry();
    EXPECT_EQ(sheet.topLeft(), QPoint(10, 5));
    EXPECT_GT(ok.top(), sheet.bottom()) << "the button the sheet covered lies below it";
    EXPECT_EQ(ok.left(), templateOk.left()) << "moved down only";
    EXPECT_EQ(window.width(), sheet.right() + 1 + 10) << "the sheet's left margin repeated";
    EXPECT_EQ(window.height() - (ok.bottom() + 1), templateMargin) << "the template's margin";
    dialog.EndDialog(IDOK);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
}  // namespace qvtouch::ui
