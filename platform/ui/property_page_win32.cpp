#include "platform/ui/property_page.h"

#include "platform/ui/dialog_resource_win32.h"
#include "platform/ui/module.h"

namespace qvtouch::ui {

PROPSHEETPAGEA CPropertyPage::Describe() {
  resource_ = BuildDialogResource(Template(), DialogFrame::PropertyPage);
  PROPSHEETPAGEA page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_DLGINDIRECT;
  page.hInstance = ModuleInstance();
  page.pResource = reinterpret_cast<LPCDLGTEMPLATEA>(resource_.data());
  page.pfnDlgProc = &CPropertyPage::PageProc;
  page.lParam = reinterpret_cast<LPARAM>(static_cast<CDialog*>(this));  // as DialogProc reads it
  return page;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // A page is created with its own description, whose lParam is the page.
    return DialogProc(window, message, wParam,
                      reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
  }
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_KILLACTIVE) {
    // Leaving the page for another reads its controls back; the page may always be left.
    if (auto* page = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER))) {
      page->UpdateData(TRUE);
    }
    SetWindowLongPtrA(window, DWLP_MSGRESULT, FALSE);
    return TRUE;
  }
  return DialogProc(window, message, wParam, lParam);
}

}  // namespace qvtouch::ui
