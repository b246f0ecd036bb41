#include "platform/ui/property_sheet.h"

#include "platform/ui/dialog_resource_win32.h"
#include "platform/ui/module.h"
#include "platform/ui/property_page.h"

namespace qvtouch::ui {
namespace {

// The sheet's own buttons, which a sheet inside a dialog does not show.
constexpr int kApplyNow = 0x3021;
constexpr int kSheetButtons[] = {IDOK, IDCANCEL, IDHELP, kApplyNow};

// The dialog styles of the sheet's template that Create keeps: its font and look.
constexpr DWORD kKeptTemplateStyles = DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK;
constexpr WORD kExtendedTemplateSignature = 0xFFFF;

// The window style Create asks for, read by the callback while the sheet is being created on the
// user-interface thread.
DWORD requestedStyle = 0;

// Before the sheet's window exists: a child window with the style asked for instead of a popup.
int CALLBACK SheetCallback(HWND /*sheet*/, UINT message, LPARAM lParam) {
  if (message != PSCB_PRECREATE) return 0;
  auto* words = reinterpret_cast<WORD*>(lParam);
  // DLGTEMPLATEEX: version, signature, help id, extended style, style; DLGTEMPLATE: style first.
  const bool extended = words[1] == kExtendedTemplateSignature;
  auto* style = reinterpret_cast<DWORD*>(words + (extended ? 6 : 0));
  auto* extendedStyle = reinterpret_cast<DWORD*>(words + (extended ? 4 : 2));
  *style = (*style & kKeptTemplateStyles) | requestedStyle;
  *extendedStyle = 0;
  return 0;
}

// Hides the sheet's buttons and shrinks it to its tabs and pages, with the tabs' margin all round.
void FitToPages(HWND sheet) {
  for (const int id : kSheetButtons) {
    if (HWND button = GetDlgItem(sheet, id)) ShowWindow(button, SW_HIDE);
  }
  RECT tabs{};
  GetWindowRect(PropSheet_GetTabControl(sheet), &tabs);
  MapWindowPoints(HWND_DESKTOP, sheet, reinterpret_cast<POINT*>(&tabs), 2);
  SetWindowPos(sheet, nullptr, 0, 0, tabs.right + tabs.left, tabs.bottom + tabs.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void CPropertySheet::AddPage(CPropertyPage* page) {
  pages_.push_back(page);
}

BOOL CPropertySheet::Create(CWnd* parent, DWORD style) {
  if (parent == nullptr || parent->GetSafeHwnd() == nullptr || pages_.empty()) return FALSE;
  RegisterControlClasses();
  std::vector<PROPSHEETPAGEA> descriptions;
  for (CPropertyPage* page : pages_) descriptions.push_back(page->Describe());
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | PSH_NOAPPLYNOW;
  header.hwndParent = parent->GetSafeHwnd();
  header.hInstance = ModuleInstance();
  header.nPages = static_cast<UINT>(descriptions.size());
  header.nStartPage = 0;
  header.ppsp = descriptions.data();
  header.pfnCallback = &SheetCallback;
  requestedStyle = style;
  const INT_PTR sheet = PropertySheetA(&header);
  if (sheet <= 0) return FALSE;
  m_hWnd = reinterpret_cast<HWND>(sheet);
  FitToPages(m_hWnd);
  return TRUE;
}

int CPropertySheet::GetActiveIndex() const {
  HWND sheet = GetSafeHwnd();
  if (sheet == nullptr) return -1;
  return static_cast<int>(PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet)));
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  const int index = GetActiveIndex();
  return index < 0 || index >= GetPageCount() ? nullptr : pages_[static_cast<std::size_t>(index)];
}

BOOL CPropertySheet::SetActivePage(int index) {
  HWND sheet = GetSafeHwnd();
  if (sheet == nullptr || index < 0 || index >= GetPageCount()) return FALSE;
  return PropSheet_SetCurSel(sheet, nullptr, index) ? TRUE : FALSE;
}

}  // namespace qvtouch::ui
