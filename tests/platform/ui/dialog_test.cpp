// A dialog built from its template: its controls, the data exchange both ways, the notifications
// that reach the dialog's code, and the ways it ends.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "platform/ui/controls.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_units.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::ui {
namespace {

using testing::Child;
using testing::WhenModal;

const bool kApplication = testing::UseQtApplication();

constexpr int kLevel = 100;
constexpr int kLevelText = 101;
constexpr int kChoice = 102;
constexpr int kTyped = 103;
constexpr int kFirst = 110;
constexpr int kSecond = 111;
constexpr int kThird = 112;
constexpr int kFrame = 120;
constexpr int kNoSuchControl = 199;

constexpr ControlTemplate kControls[] = {
    {kLevel, ControlKind::Slider, "", {10, 10, 100, 15}},
    {kLevelText, ControlKind::Text, "Static", {115, 12, 30, 8}},
    {kChoice, ControlKind::DropDownList, "", {10, 30, 70, 60}},
    {kTyped, ControlKind::DropDownCombo, "", {85, 30, 70, 60}},
    {kFirst, ControlKind::AutoRadioButton, "first", {10, 52, 60, 10}},
    {kSecond, ControlKind::AutoRadioButton, "second", {10, 64, 60, 10}},
    {kThird, ControlKind::AutoRadioButton, "third", {80, 52, 60, 10}},
    {IDC_STATIC, ControlKind::GroupBox, "Group", {5, 45, 150, 32}},
    {kFrame, ControlKind::HiddenFrame, "", {0, 90, 20, 10}},
    {IDOK, ControlKind::DefaultPushButton, "OK", {10, 100, 40, 14}},
    {IDCANCEL, ControlKind::PushButton, "Cancel", {60, 100, 40, 14}},
};

constexpr DialogTemplate kDialog{900, "Exchange", {160, 120}, {"MS Sans Serif", 10}, kControls};

class ExchangeDialog : public CDialog {
 public:
  ExchangeDialog() : CDialog(kDialog) {
    MapCommand(CBN_SELCHANGE, kChoice, &ExchangeDialog::OnChoice);
    MapCommand(CBN_SELCHANGE, kTyped, &ExchangeDialog::OnTyped);
    MapCommand(BN_CLICKED, kSecond, &ExchangeDialog::OnSecond);
  }

  CSliderCtrl m_slider;
  CComboBox m_choices;
  CComboBox m_typed;
  int m_level = 0;
  std::string m_levelText;
  int m_choice = -1;
  std::vector<std::string> m_events;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_slider.SetRange(10, 50);
    for (LPCSTR text : {"zero", "one", "two"}) m_choices.AddString(text);
    for (LPCSTR text : {"250ms", "1.5s"}) m_typed.AddString(text);
    m_events.push_back("after adding: selection " + std::to_string(m_choices.GetCurSel()));
    UpdateData(FALSE);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kLevel, m_slider);
    DDX_Control(pDX, kChoice, m_choices);
    DDX_Control(pDX, kTyped, m_typed);
    DDX_Slider(pDX, kLevel, m_level);
    DDX_Text(pDX, kLevelText, m_levelText);
    DDX_CBIndex(pDX, kChoice, m_choice);
  }
  void OnHScroll(int id) override {
    m_events.push_back("scroll " + std::to_string(id) + " at " + std::to_string(m_slider.GetPos()));
  }
  void OnChoice() { m_events.push_back("choice " + std::to_string(m_choices.GetCurSel())); }
  void OnTyped() { m_events.push_back("typed " + std::to_string(m_typed.GetCurSel())); }
  void OnSecond() { m_events.push_back("second clicked"); }
};

TEST(Dialog, BuildsItsControlsFromTheTemplateInDialogUnitsOfItsFont) {
  ExchangeDialog dialog;
  WhenModal([&dialog](QWidget& window) {
    EXPECT_EQ(window.windowTitle(), "Exchange");
    const BaseUnits units = FontBaseUnits(TemplateFont(kDialog.Font));
    EXPECT_EQ(window.size(), ToPixels(kDialog.Size, units));
    auto* ok = Child<QPushButton>(window, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), ToPixels(DialogUnitRect{10, 100, 40, 14}, units));
    EXPECT_EQ(Child<QLabel>(window, kLevelText)->text(), "") << "the exchange wrote the member's";
    EXPECT_TRUE(Child<QComboBox>(window, kTyped)->isEditable());
    EXPECT_FALSE(Child<QComboBox>(window, kChoice)->isEditable());
    EXPECT_TRUE(Child<QWidget>(window, kFrame)->isHidden());
    EXPECT_EQ(dialog.GetDlgItem(kNoSuchControl), nullptr);
    auto* group = window.findChild<QGroupBox*>();
    EXPECT_TRUE(group->testAttribute(Qt::WA_TransparentForMouseEvents));
    dialog.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "the window is gone, the object stays";
  EXPECT_EQ(dialog.m_slider.GetSafeHwnd(), nullptr);
  EXPECT_EQ(dialog.m_slider.GetPos(), 0) << "a control that is gone answers as none";
}

TEST(Dialog, SliderHoldsItsValueInsideItsRangeBothWays) {
  ExchangeDialog dialog;
  dialog.m_level = 70;  // above the range 10 to 50
  WhenModal([&dialog](QWidget& window) {
    auto* slider = Child<QSlider>(window, kLevel);
    EXPECT_EQ(slider->value(), 50) << "shown at the nearer end";
    EXPECT_EQ(dialog.m_level, 70) << "the member keeps its value until read back";
    dialog.UpdateData(TRUE);
    EXPECT_EQ(dialog.m_level, 50);
    dialog.m_level = 3;
    dialog.UpdateData(FALSE);
    EXPECT_EQ(slider->value(), 10);
    EXPECT_EQ(dialog.m_events.size(), 1u) << "setting positions reports no scroll";
    QTest::keyClick(slider, Qt::Key_End);
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.m_events.back(), "scroll 100 at 50") << "a user's move reports the new position";
}

TEST(Dialog, ComboIndexMovesBetweenMemberAndListAndOnlyTheUsersChoiceNotifies) {
  ExchangeDialog dialog;
  dialog.m_choice = 2;
  WhenModal([&dialog](QWidget& window) {
    EXPECT_EQ(dialog.m_events.front(), "after adding: selection -1") << "adding selects nothing";
    auto* choices = Child<QComboBox>(window, kChoice);
    EXPECT_EQ(choices->currentIndex(), 2);
    dialog.m_choice = 7;
    dialog.UpdateData(FALSE);
    EXPECT_EQ(choices->currentIndex(), -1) << "an index that names no entry clears the selection";
    EXPECT_EQ(dialog.m_choices.GetItemData(-1), static_cast<DWORD_PTR>(CB_ERR));
    EXPECT_EQ(dialog.m_choices.SetCurSel(9), CB_ERR);
    EXPECT_EQ(dialog.m_choices.SetItemData(1, 42), 0);
    EXPECT_EQ(dialog.m_choices.GetItemData(1), 42u);
    dialog.UpdateData(TRUE);
    EXPECT_EQ(dialog.m_choice, -1);
    QTest::keyClick(choices, Qt::Key_Down);
    dialog.UpdateData(TRUE);
    EXPECT_EQ(dialog.m_choice, 0);
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.m_events, (std::vector<std::string>{"after adding: selection -1", "choice 0"}));
}

TEST(Dialog, TypingAnEntrysTextIntoAnEditableComboSelectsNothing) {
  ExchangeDialog dialog;
  WhenModal([&dialog](QWidget& window) {
    auto* typed = Child<QComboBox>(window, kTyped);
    typed->setFocus();
    QTest::keyClicks(typed->lineEdit(), "1.5s");
    Child<QSlider>(window, kLevel)->setFocus();  // the edit field loses the focus
    EXPECT_EQ(typed->currentIndex(), -1);
    QTest::keyClick(typed, Qt::Key_Down);
    EXPECT_EQ(typed->currentIndex(), 0) << "the arrow keys still choose entries";
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.m_events.back(), "typed 0");
}

TEST(Dialog, RadioButtonsFormOneGroupThatCodeAndClicksSet) {
  ExchangeDialog dialog;
  WhenModal([&dialog](QWidget& window) {
    auto* first = Child<QRadioButton>(window, kFirst);
    auto* second = Child<QRadioButton>(window, kSecond);
    auto* third = Child<QRadioButton>(window, kThird);
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirst, kThird), 0);
    dialog.CheckRadioButton(kFirst, kThird, kThird);
    EXPECT_TRUE(third->isChecked());
    dialog.CheckRadioButton(kFirst, kThird, kFirst);
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(third->isChecked());
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirst, kThird), kFirst);
    // The group box lies over the buttons; the click still reaches the button.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirst, kThird), kSecond);
    dialog.CheckRadioButton(kFirst, kThird, 0);
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirst, kThird), 0) << "CheckRadioButton can clear all";
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.m_events.back(), "second clicked");
}

TEST(Dialog, OkReadsTheControlsBackAndEndsWithIdok) {
  ExchangeDialog dialog;
  dialog.m_level = 20;
  WhenModal([](QWidget& window) {
    Child<QSlider>(window, kLevel)->setValue(30);  // not reported, read back by OK
    QTest::mouseClick(Child<QPushButton>(window, IDOK), Qt::LeftButton);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_level, 30);
}

TEST(Dialog, EscapeTheCloseBoxAndCancelEndWithIdcancelWithoutReadingBack) {
  for (const auto& end : std::vector<std::function<void(QWidget&)>>{
           [](QWidget& window) { QTest::keyClick(&window, Qt::Key_Escape); },
           [](QWidget& window) { window.close(); },
           [](QWidget& window) {
             QTest::mouseClick(Child<QPushButton>(window, IDCANCEL), Qt::LeftButton);
           }}) {
    ExchangeDialog dialog;
    dialog.m_level = 20;
    WhenModal([&end](QWidget& window) {
      Child<QSlider>(window, kLevel)->setValue(40);
      end(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_level, 20);
  }
}

}  // namespace
}  // namespace qvtouch::ui
