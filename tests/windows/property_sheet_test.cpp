// A property sheet made a child window of a dialog, as the settings dialog makes it: the
// platform's own sheet with a page per template, created when first shown, read back when left.
#include <gtest/gtest.h>

#include "platform/ui/controls.h"
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"
#include "platform/ui/property_page.h"
#include "platform/ui/property_sheet.h"
#include "tests/windows/support/while_modal.h"

namespace qvtouch::ui {
namespace {

using test::WhileModal;

constexpr int kFrame = 200;
constexpr int kList = 201;

constexpr ControlTemplate kHostControls[] = {
    {IDOK, ControlKind::DefaultPushButton, " OK ", {89, 164, 45, 14}},
    {IDCANCEL, ControlKind::PushButton, " Cancel ", {150, 164, 45, 14}},
    {kFrame, ControlKind::HiddenFrame, "", {0, 6, 217, 152}},
};
constexpr DialogTemplate kHost{
    4004, "Sheet host", {219, 182}, {"MS Sans Serif", 10}, kHostControls};

constexpr ControlTemplate kPageControls[] = {
    {IDC_STATIC, ControlKind::Text, "Choose:", {10, 10, 40, 8}},
    {kList, ControlKind::DropDownList, "", {60, 8, 80, 60}},
};
constexpr DialogTemplate kFirstPage{
    106, "First page ", {240, 160}, {"MS Sans Serif", 10}, kPageControls};
constexpr DialogTemplate kSecondPage{
    107, "Second", {239, 159}, {"MS Sans Serif", 10}, kPageControls};

class ListPage : public CPropertyPage {
 public:
  explicit ListPage(const DialogTemplate& pageTemplate) : CPropertyPage(pageTemplate) {}

  CComboBox m_list;
  int m_index = -1;
  int initialised = 0;

 protected:
  BOOL OnInitDialog() override {
    ++initialised;
    CPropertyPage::OnInitDialog();
    for (const char* entry : {" COM1 ", " COM2 ", " COM3 "}) m_list.AddString(entry);
    UpdateData(FALSE);
    return TRUE;
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kList, m_list);
    DDX_CBIndex(pDX, kList, m_index);
  }
};

class Host : public CDialog {
 public:
  Host() : CDialog(kHost) {}

  CPropertySheet m_sheet;
  ListPage m_first{kFirstPage};
  ListPage m_second{kSecondPage};

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_sheet.AddPage(&m_first);
    m_sheet.AddPage(&m_second);
    m_sheet.Create(this, WS_CHILD | WS_VISIBLE);
    m_sheet.ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    m_sheet.ModifyStyle(0, WS_TABSTOP);
    return TRUE;
  }
};

std::string TabText(HWND tabs, int index) {
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  TabCtrl_GetItem(tabs, index, &item);
  return text;
}

TEST(SheetInADialog, IsAChildOfTheDialogWithATabPerPageAndNoButtonsOfItsOwn) {
  Host host;
  WhileModal check("Sheet host", [&host](HWND window) {
    HWND sheet = host.m_sheet.GetSafeHwnd();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(GetParent(sheet), window);
    const auto style = static_cast<DWORD>(GetWindowLongA(sheet, GWL_STYLE));
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & (WS_POPUP | WS_CAPTION));
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    HWND tabs = PropSheet_GetTabControl(sheet);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 2);
    EXPECT_EQ(TabText(tabs, 0), "First page ") << "the page's template names its tab";
    EXPECT_EQ(TabText(tabs, 1), "Second");
    for (const int id : {IDOK, IDCANCEL}) {
      HWND button = GetDlgItem(sheet, id);
      EXPECT_TRUE(button == nullptr || !IsWindowVisible(button));
    }
    EXPECT_EQ(host.m_sheet.GetActiveIndex(), 0);
    EXPECT_EQ(host.m_sheet.GetActivePage(), &host.m_first);
    EndDialog(window, IDCANCEL);
  });
  host.DoModal();
  EXPECT_TRUE(check.Acted());
}

TEST(SheetInADialog, CreatesAPageWhenFirstShownAndReadsItBackWhenLeft) {
  Host host;
  host.m_first.m_index = 2;
  host.m_second.m_index = 0;
  WhileModal act("Sheet host", [&host](HWND window) {
    EXPECT_EQ(host.m_first.initialised, 1);
    EXPECT_EQ(host.m_second.initialised, 0) << "not shown yet";
    EXPECT_EQ(host.m_first.m_list.GetCurSel(), 2);

    host.m_first.m_list.SetCurSel(1);
    EXPECT_TRUE(host.m_sheet.SetActivePage(1));
    EXPECT_EQ(host.m_first.m_index, 1) << "read back as it was left";
    EXPECT_EQ(host.m_second.initialised, 1);
    EXPECT_EQ(host.m_sheet.GetActiveIndex(), 1);

    host.m_second.m_list.SetCurSel(2);
    EXPECT_FALSE(host.m_sheet.SetActivePage(5));
    SendDlgItemMessageA(window, IDOK, BM_CLICK, 0, 0);
  });
  EXPECT_EQ(host.DoModal(), IDOK);
  EXPECT_EQ(host.m_second.m_index, 0) << "OK of the dialog does not read back the page shown";
  EXPECT_EQ(host.m_first.m_list.GetSafeHwnd(), nullptr);
}

}  // namespace
}  // namespace qvtouch::ui
