// Dialogs built from their templates as the platform's own dialogs: the controls each kind of
// template entry becomes, the data exchange, the notifications and the ways a dialog ends.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "tests/windows/support/while_modal.h"

namespace qvtouch::ui {
namespace {

using test::WhileModal;

constexpr int kCentred = 101;
constexpr int kSlider = 102;
constexpr int kList = 103;
constexpr int kEditableList = 104;
constexpr int kFirstRadio = 105;
constexpr int kSecondRadio = 106;
constexpr int kThirdRadio = 107;
constexpr int kFrame = 108;
constexpr int kPress = 109;
constexpr int kLogo = 110;
constexpr int kLaterRadio = 111;

constexpr ControlTemplate kControls[] = {
    {IDC_STATIC, ControlKind::Text, "Label", {5, 5, 60, 8}},
    {kCentred, ControlKind::CentredText, "Centred", {70, 5, 60, 8}},
    {kSlider, ControlKind::Slider, "", {5, 16, 100, 15}},
    {kList, ControlKind::DropDownList, "", {5, 34, 80, 60}},
    {kEditableList, ControlKind::DropDownCombo, "", {90, 34, 80, 60}},
    {kFirstRadio, ControlKind::AutoRadioButton, "One", {5, 52, 50, 10}},
    {kSecondRadio, ControlKind::AutoRadioButton, "Two", {60, 52, 50, 10}},
    {kThirdRadio, ControlKind::AutoRadioButton, "Three", {115, 52, 50, 10}},
    {IDC_STATIC, ControlKind::GroupBox, "Group", {2, 46, 170, 20}},
    {kLaterRadio, ControlKind::AutoRadioButton, "Apart", {5, 68, 50, 10}},
    {kFrame, ControlKind::HiddenFrame, "", {5, 80, 100, 20}},
    {kPress, ControlKind::PushButton, "Press", {110, 80, 50, 14}},
    {kLogo, ControlKind::Picture, "#4007", {5, 100, 10, 10}},
    {IDOK, ControlKind::DefaultPushButton, "OK", {60, 160, 40, 14}},
    {IDCANCEL, ControlKind::PushButton, "Cancel", {110, 160, 40, 14}},
};
constexpr DialogTemplate kTemplate{
    900, "Template test", {200, 180}, {"MS Sans Serif", 8}, kControls};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

DWORD StyleOf(HWND window) {
  return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

// The control's rectangle in the dialog's client coordinates.
RECT PlaceOf(HWND dialog, int id) {
  RECT place{};
  GetWindowRect(GetDlgItem(dialog, id), &place);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

RECT InPixels(HWND dialog, const DialogUnitRect& rect) {
  RECT pixels{rect.X, rect.Y, rect.X + rect.Width, rect.Y + rect.Height};
  MapDialogRect(dialog, &pixels);
  return pixels;
}

// A dialog whose members go through every kind of data exchange, and which counts what reaches
// its handlers.
class ExchangeDialog : public CDialog {
 public:
  ExchangeDialog() : CDialog(kTemplate) {
    MapCommand(BN_CLICKED, kPress, &ExchangeDialog::OnPress);
    MapCommand(CBN_SELCHANGE, kList, &ExchangeDialog::OnListChange);
  }

  CSliderCtrl m_slider;
  CComboBox m_list;
  int m_position = 0;
  int m_index = -1;
  std::string m_text;
  int presses = 0;
  int listChanges = 0;
  int scrolledSlider = 0;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();  // binds the controls, and fills them before they have a range
    m_slider.SetRange(10, 50);
    for (const char* entry : {"zero", "one", "two"}) m_list.AddString(entry);
    UpdateData(FALSE);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kSlider, m_slider);
    DDX_Control(pDX, kList, m_list);
    DDX_Slider(pDX, kSlider, m_position);
    DDX_CBIndex(pDX, kList, m_index);
    DDX_Text(pDX, kCentred, m_text);
  }
  void OnHScroll(int id) override { scrolledSlider = id; }

 private:
  void OnPress() { ++presses; }
  void OnListChange() { ++listChanges; }
};

TEST(Dialog, EachKindOfControlIsThePlatformsOwnAtItsPlaceInDialogUnits) {
  CDialog dialog(kTemplate);
  WhileModal check("Template test", [](HWND window) {
    EXPECT_EQ(ClassOf(GetDlgItem(window, kCentred)), "Static");
    EXPECT_EQ(StyleOf(GetDlgItem(window, kCentred)) & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
    EXPECT_EQ(ClassOf(GetDlgItem(window, kSlider)), TRACKBAR_CLASSA);
    EXPECT_TRUE(StyleOf(GetDlgItem(window, kSlider)) & TBS_NOTICKS);
    EXPECT_EQ(ClassOf(GetDlgItem(window, kList)), "ComboBox");
    EXPECT_EQ(StyleOf(GetDlgItem(window, kList)) & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_EQ(StyleOf(GetDlgItem(window, kEditableList)) & 3, static_cast<DWORD>(CBS_DROPDOWN));
    EXPECT_EQ(StyleOf(GetDlgItem(window, kFirstRadio)) & BS_TYPEMASK,
              static_cast<DWORD>(BS_AUTORADIOBUTTON));
    EXPECT_EQ(StyleOf(GetDlgItem(window, IDOK)) & BS_TYPEMASK,
              static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, kFrame))) << "a frame that code measures";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, kPress)));

    const RECT slider = PlaceOf(window, kSlider);
    const RECT expected = InPixels(window, kControls[2].Rect);
    EXPECT_EQ(slider.left, expected.left);
    EXPECT_EQ(slider.top, expected.top);
    EXPECT_EQ(slider.right, expected.right);
    EXPECT_EQ(slider.bottom, expected.bottom);
    RECT client{};
    GetClientRect(window, &client);
    const RECT size = InPixels(window, {0, 0, 200, 180});
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Template test");
    EndDialog(window, IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(check.Acted());
}

TEST(Dialog, APictureShowsTheBitmapResourceItsTextNames) {
  CDialog dialog(kTemplate);
  WhileModal check("Template test", [](HWND window) {
    const auto bitmap = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(window, kLogo, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP picture{};
    ASSERT_NE(GetObjectA(bitmap, sizeof picture, &picture), 0);
    EXPECT_EQ(picture.bmWidth, 267);
    EXPECT_EQ(picture.bmHeight, 54);
    EndDialog(window, IDCANCEL);
  });
  dialog.DoModal();
}

TEST(Dialog, RadioButtonsInARowFormOneGroupAndOnlyThose) {
  CDialog dialog(kTemplate);
  WhileModal check("Template test", [&dialog](HWND window) {
    CheckDlgButton(window, kLaterRadio, BST_CHECKED);
    SendDlgItemMessageA(window, kFirstRadio, BM_CLICK, 0, 0);
    SendDlgItemMessageA(window, kSecondRadio, BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirstRadio, kThirdRadio), kSecondRadio);
    EXPECT_EQ(IsDlgButtonChecked(window, kFirstRadio), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(window, kLaterRadio), static_cast<UINT>(BST_CHECKED))
        << "a radio button after another control starts a group of its own";

    dialog.CheckRadioButton(kFirstRadio, kThirdRadio, kThirdRadio);
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirstRadio, kThirdRadio), kThirdRadio);
    dialog.CheckRadioButton(kFirstRadio, kThirdRadio, 0);
    EXPECT_EQ(dialog.GetCheckedRadioButton(kFirstRadio, kThirdRadio), 0);
    EndDialog(window, IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_TRUE(check.Acted());
}

TEST(Dialog, MembersGoIntoTheControlsAndOkReadsThemBack) {
  ExchangeDialog dialog;
  dialog.m_position = 70;  // beyond the slider's range
  dialog.m_index = 1;
  dialog.m_text = "shown";
  WhileModal act("Template test", [](HWND window) {
    EXPECT_EQ(SendDlgItemMessageA(window, kSlider, TBM_GETPOS, 0, 0), 50);
    EXPECT_EQ(SendDlgItemMessageA(window, kList, CB_GETCURSEL, 0, 0), 1);
    char text[32] = {};
    GetDlgItemTextA(window, kCentred, text, sizeof text);
    EXPECT_STREQ(text, "shown");

    SendDlgItemMessageA(window, kSlider, TBM_SETPOS, TRUE, 20);
    SendDlgItemMessageA(window, kList, CB_SETCURSEL, 2, 0);
    SetDlgItemTextA(window, kCentred, "typed");
    SendDlgItemMessageA(window, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_position, 20);
  EXPECT_EQ(dialog.m_index, 2);
  EXPECT_EQ(dialog.m_text, "typed");
  EXPECT_EQ(dialog.m_slider.GetSafeHwnd(), nullptr) << "the control went with the dialog";
}

TEST(Dialog, CancelEscapeAndTheCloseBoxReadNothingBack) {
  for (const auto end : {+[](HWND w) { SendDlgItemMessageA(w, IDCANCEL, BM_CLICK, 0, 0); },
                         +[](HWND w) { SendMessageA(w, WM_COMMAND, IDCANCEL, 0); },
                         +[](HWND w) { SendMessageA(w, WM_CLOSE, 0, 0); }}) {
    ExchangeDialog dialog;
    dialog.m_index = 0;
    WhileModal act("Template test", [end](HWND window) {
      SendDlgItemMessageA(window, kList, CB_SETCURSEL, 2, 0);
      end(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_index, 0);
  }
}

TEST(Dialog, ControlsNotifyTheHandlersMappedToThem) {
  ExchangeDialog dialog;
  WhileModal act("Template test", [&dialog](HWND window) {
    SendDlgItemMessageA(window, kPress, BM_CLICK, 0, 0);
    SendDlgItemMessageA(window, kSlider, WM_KEYDOWN, VK_RIGHT, 0);  // the user moves the thumb
    EXPECT_EQ(dialog.scrolledSlider, kSlider);
    EXPECT_EQ(dialog.m_slider.GetPos(), 11) << "one step from the range's start";
    // The user picks an entry: the list tells its dialog.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(kList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kList)));
    EndDialog(window, IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.presses, 1);
  EXPECT_EQ(dialog.listChanges, 1);
}

TEST(Controls, AnswerAsThePlatformsControlsDoWithAndWithoutAControl) {
  CComboBox unbound;
  EXPECT_EQ(unbound.AddString("x"), CB_ERR);
  EXPECT_EQ(unbound.GetCount(), CB_ERR);
  EXPECT_EQ(unbound.GetCurSel(), CB_ERR);
  EXPECT_EQ(unbound.GetItemData(0), static_cast<DWORD_PTR>(CB_ERR));
  CSliderCtrl unboundSlider;
  EXPECT_EQ(unboundSlider.GetPos(), 0);

  ExchangeDialog dialog;
  dialog.m_position = 30;
  WhileModal act("Template test", [&dialog](HWND window) {
    CComboBox& list = dialog.m_list;
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetCurSel(), CB_ERR) << "filled, and nothing chosen";
    EXPECT_EQ(list.SetItemData(1, 240), 0);
    EXPECT_EQ(list.GetItemData(1), 240u);
    EXPECT_EQ(list.GetItemData(7), static_cast<DWORD_PTR>(CB_ERR));
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_EQ(list.SetCurSel(7), CB_ERR);
    EXPECT_EQ(list.GetCurSel(), CB_ERR) << "an index that names no entry clears the choice";

    dialog.m_slider.SetRange(40, 60);
    EXPECT_EQ(dialog.m_slider.GetPos(), 40) << "a new range takes the thumb in";
    EndDialog(window, IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_TRUE(act.Acted());
}

TEST(Window, TextsAndStylesOfAWindow) {
  CDialog dialog(kTemplate);
  WhileModal act("Template test", [&dialog](HWND window) {
    CWnd* centred = dialog.GetDlgItem(kCentred);
    ASSERT_NE(centred, nullptr);
    centred->SetWindowText("new text");
    std::string text;
    centred->GetWindowText(text);
    EXPECT_EQ(text, "new text");
    EXPECT_EQ(dialog.GetDlgItem(999), nullptr);

    CWnd* press = dialog.GetDlgItem(kPress);
    press->ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    press->ModifyStyle(WS_TABSTOP, 0);
    EXPECT_TRUE(GetWindowLongA(press->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_FALSE(StyleOf(press->GetSafeHwnd()) & WS_TABSTOP);

    dialog.SetWindowText("Retitled");
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Retitled");

    CRect frame;
    dialog.GetDlgItem(kFrame)->GetWindowRect(&frame);
    dialog.ScreenToClient(&frame);
    const RECT expected = InPixels(window, kControls[10].Rect);
    EXPECT_EQ(frame.left, expected.left);
    EXPECT_EQ(frame.top, expected.top);
    EndDialog(window, IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_TRUE(act.Acted());
}

TEST(Module, NamesTheProgramAndFindsItsResourcesByNumber) {
  EXPECT_STREQ(AfxGetAppName(), "ui_test");
  EXPECT_NE(LoadIconResource("#4001"), nullptr);
  EXPECT_EQ(LoadIconResource("#1"), nullptr) << "no such icon";
  EXPECT_EQ(LoadIconResource("4001"), nullptr) << "not a resource number";
  EXPECT_EQ(LoadIconResource(nullptr), nullptr);
}

}  // namespace
}  // namespace qvtouch::ui
