// The applet's settings dialog on the platform's own dialogs: its sheet of six pages over the
// frame, what the pages show of the settings record, and what OK takes back.
#include <gtest/gtest.h>

#include "common/registry_paths.h"
#include "cpl/quvo_dlg1.h"
#include "cpl/resource.h"
#include "tests/windows/support/registry_values.h"
#include "tests/windows/support/while_modal.h"
#include "tests/windows/support/window_driver.h"

namespace {

using qvtouch::test::WhileModal;

constexpr const char* kCaption = "TouchScreen Control Panel";

HWND SheetOf(const QUvoDlg1& dialog) {
  return dialog.m_sheet.GetSafeHwnd();
}

std::string TabText(HWND sheet, int index) {
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  TabCtrl_GetItem(PropSheet_GetTabControl(sheet), index, &item);
  return text;
}

// The page shown, after choosing it as a click on its tab does.
HWND ShowPage(HWND sheet, int index) {
  PropSheet_SetCurSel(sheet, nullptr, index);
  return PropSheet_GetCurrentPageHwnd(sheet);
}

std::string ComboText(HWND page, int id) {
  const auto selected = SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return {};
  char text[64] = {};
  SendDlgItemMessageA(page, id, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
  return text;
}

// Chooses a list entry as the user does: the list tells its page.
void Choose(HWND page, int id, int index) {
  SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

TEST(SettingsDialog, HoldsTheSixPagesInOrderOverTheFrameOpenOnCalibration) {
  QUvoDlg1 dialog(nullptr);
  WhileModal check(kCaption, [&dialog](HWND window) {
    HWND sheet = SheetOf(dialog);
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 6);
    const char* captions[] = {"Calibration",      "Sound setting",    "Mouse setting",
                              "COM port select ", "Screen Placement", " About"};
    for (int page = 0; page < 6; ++page) EXPECT_EQ(TabText(sheet, page), captions[page]);
    EXPECT_EQ(dialog.m_sheet.GetActivePage(), &dialog.m_calibration);
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_STYLE) & WS_TABSTOP);

    RECT frame{};
    GetWindowRect(GetDlgItem(window, IDC_SHEET_FRAME), &frame);
    RECT placed{};
    GetWindowRect(sheet, &placed);
    EXPECT_EQ(placed.left, frame.left + 10);
    EXPECT_EQ(placed.top, frame.top - 7);
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_TRUE(placed.right <= client.right && placed.bottom <= client.bottom)
        << "the sheet is shown whole";
    RECT ok{};
    GetWindowRect(GetDlgItem(window, IDOK), &ok);
    EXPECT_GE(ok.top, placed.bottom) << "OK stays below the sheet";

    for (int page = 0; page < 6; ++page) {
      ShowPage(sheet, page);
      qvtouch::test::SaveScreenshot(window, "settings-page-" + std::to_string(page + 1));
    }
    EndDialog(window, IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(check.Acted());
}

TEST(SettingsDialog, PagesShowTheRecordAndOkTakesBackWhatWasChosen) {
  QUvoDlg1 dialog(nullptr);
  dialog.m_sound.m_modeIndex = 2;
  dialog.m_sound.m_frequency = 2000;
  dialog.m_sound.m_duration = 32;
  dialog.m_mouse.m_modeIndex = 2;
  dialog.m_mouse.m_field = 40;
  dialog.m_mouse.m_speed = 500;
  dialog.m_mouse.m_delay = 48;
  dialog.m_comPort.m_portIndex = 2;
  dialog.m_screenPos.m_placement = 38;
  WhileModal act(kCaption, [&dialog](HWND window) {
    HWND sheet = SheetOf(dialog);
    HWND sound = ShowPage(sheet, 1);
    EXPECT_EQ(ComboText(sound, IDC_BEEP_ON), "Release");
    EXPECT_EQ(qvtouch::test::ControlText(sound, IDC_BEEP_TONE_TEXT), "2000");
    EXPECT_EQ(qvtouch::test::ControlText(sound, IDC_DURATION_TEXT), "32");

    HWND mouse = ShowPage(sheet, 2);
    EXPECT_EQ(ComboText(mouse, IDC_MOUSE_MODE), "Dragging ");
    EXPECT_EQ(ComboText(mouse, IDC_RIGHT_DELAY), "500ms");
    EXPECT_EQ(qvtouch::test::ControlText(mouse, IDC_CLICK_SPEED_TEXT), "500");
    Choose(mouse, IDC_RIGHT_DELAY, 11);  // "2.5s"
    // The user moves the speed slider fully right: the number beside it follows.
    SendDlgItemMessageA(mouse, IDC_CLICK_SPEED, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(qvtouch::test::ControlText(mouse, IDC_CLICK_SPEED_TEXT), "2000");

    HWND port = ShowPage(sheet, 3);
    EXPECT_EQ(ComboText(port, IDC_PORT), " COM3 ");
    Choose(port, IDC_PORT, 0);

    HWND placement = ShowPage(sheet, 4);
    EXPECT_EQ(IsDlgButtonChecked(placement, IDC_ON_SLAVE), static_cast<UINT>(BST_CHECKED));
    SendDlgItemMessageA(placement, IDC_ON_TOP, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(placement, IDC_ON_SLAVE), static_cast<UINT>(BST_UNCHECKED));

    SendDlgItemMessageA(window, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_mouse.m_delay, 240u);
  EXPECT_EQ(dialog.m_mouse.m_speed, 2000);
  EXPECT_EQ(dialog.m_comPort.m_portIndex, 0);
  EXPECT_EQ(dialog.m_screenPos.m_placement, 19u);
  EXPECT_EQ(dialog.m_sound.m_frequency, 2000) << "left as it was shown";
}

DWORD StyleOf(HWND page, int id) {
  return static_cast<DWORD>(GetWindowLongA(GetDlgItem(page, id), GWL_STYLE));
}

// A combo box hands its scroll bar styles to its list: the list's style.
DWORD ListStyleOf(HWND page, int id) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(GetDlgItem(page, id), &info)) return 0;
  return static_cast<DWORD>(GetWindowLongA(info.hwndList, GWL_STYLE));
}

// The controls whose templates ask more than their kind's styles: the test tone's button with its
// text centred both ways, a static edge and transparent; the lists with or without scroll bars.
TEST(SettingsDialog, PagesControlsHaveTheStylesTheirTemplatesGive) {
  QUvoDlg1 dialog(nullptr);
  WhileModal check(kCaption, [&dialog](HWND window) {
    HWND sheet = SheetOf(dialog);
    HWND sound = ShowPage(sheet, 1);
    const DWORD button = StyleOf(sound, IDC_TEST_BEEP);
    EXPECT_EQ(button & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
    EXPECT_EQ(button & (BS_CENTER | BS_VCENTER), static_cast<DWORD>(BS_CENTER | BS_VCENTER));
    const auto extended =
        static_cast<DWORD>(GetWindowLongA(GetDlgItem(sound, IDC_TEST_BEEP), GWL_EXSTYLE));
    EXPECT_EQ(extended & (WS_EX_STATICEDGE | WS_EX_TRANSPARENT),
              static_cast<DWORD>(WS_EX_STATICEDGE | WS_EX_TRANSPARENT));
    EXPECT_TRUE(StyleOf(sound, IDC_BEEP_ON) & CBS_DISABLENOSCROLL);
    EXPECT_EQ(ListStyleOf(sound, IDC_BEEP_ON) & (WS_VSCROLL | LBS_DISABLENOSCROLL),
              static_cast<DWORD>(WS_VSCROLL | LBS_DISABLENOSCROLL));

    HWND mouse = ShowPage(sheet, 2);
    EXPECT_FALSE(ListStyleOf(mouse, IDC_MOUSE_MODE) & WS_VSCROLL);
    const DWORD delay = StyleOf(mouse, IDC_RIGHT_DELAY);
    EXPECT_EQ(delay & 3, static_cast<DWORD>(CBS_DROPDOWN));
    EXPECT_FALSE(delay & (CBS_DISABLENOSCROLL | CBS_AUTOHSCROLL));
    EXPECT_TRUE(ListStyleOf(mouse, IDC_RIGHT_DELAY) & WS_VSCROLL);

    HWND port = ShowPage(sheet, 3);
    EXPECT_FALSE(ListStyleOf(port, IDC_PORT) & WS_VSCROLL);
    EndDialog(window, IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(check.Acted());
}

// The calibration button, with the programs installed under a folder whose name has a blank, and
// beside that folder a program named as the folder's first word: the platform would read an
// unquoted command line "C:\qvtouch test\QVSerTouch\qvsercalib.exe" as C:\qvtouch.exe.
class CalibrateButton : public ::testing::Test {
 protected:
  static constexpr const char* kFolder = R"(C:\qvtouch test)";
  static constexpr const char* kPrograms = R"(C:\qvtouch test\QVSerTouch)";
  static constexpr const char* kCalibration = R"(C:\qvtouch test\QVSerTouch\qvsercalib.exe)";
  static constexpr const char* kShorterProgram = R"(C:\qvtouch.exe)";

  void SetUp() override {
    previous_ = qvtouch::test::ReadText(HKEY_LOCAL_MACHINE, qvtouch::kCurrentVersionKey.data(),
                                        qvtouch::kProgramFilesDirValue.data());
    CreateDirectoryA(kFolder, nullptr);
    CreateDirectoryA(kPrograms, nullptr);
    ASSERT_TRUE(CopyFileA(qvtouch::test::HostPath(QVSERCALIB_PATH).c_str(), kCalibration, FALSE));
    ASSERT_TRUE(CopyFileA(qvtouch::test::HostPath(TOLLWEN_PATH).c_str(), kShorterProgram, FALSE));
    SetProgramFilesDir(kFolder);
  }
  void TearDown() override {
    SetProgramFilesDir(previous_.value_or(""));
    DeleteFileA(kShorterProgram);
    DeleteFileA(kCalibration);
    RemoveDirectoryA(kPrograms);
    RemoveDirectoryA(kFolder);
  }

 private:
  static void SetProgramFilesDir(const std::string& folder) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, qvtouch::kCurrentVersionKey.data(), 0,
                            KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, qvtouch::kProgramFilesDirValue.data(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
  }

  std::optional<std::string> previous_;
};

TEST_F(CalibrateButton, StartsTheCalibrationProgramByItsWholePath) {
  QUvoDlg1 dialog(nullptr);
  WhileModal act(kCaption, [&dialog](HWND window) {
    HWND page = PropSheet_GetCurrentPageHwnd(SheetOf(dialog));
    SendDlgItemMessageA(page, IDC_CALIBRATE, BM_CLICK, 0, 0);
    // Without the driver, the calibration program says so: it was the one started.
    HWND started = qvtouch::test::WaitForWindow("Comment");
    EXPECT_NE(started, nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "QVHWTOUCH SETUP"), nullptr) << "C:\\qvtouch.exe ran";
    if (started != nullptr) {
      qvtouch::test::PressButton(started, IDOK);
      EXPECT_TRUE(qvtouch::test::WaitUntilGone(started));
    }
    EndDialog(window, IDCANCEL);
  });
  dialog.DoModal();
  EXPECT_TRUE(act.Acted());
}

}  // namespace
