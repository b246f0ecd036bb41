// CPropertyPage: a dialog template shown as one page of a property sheet, under a tab that the
// template's title names. The sheet creates the page's controls the first time the page is shown
// and reads them back (UpdateData(TRUE)) whenever another page is chosen.
#pragma once

#include <vector>

#include "platform/ui/dialog.h"

namespace qvtouch::ui {

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(const DialogTemplate& dialogTemplate) : CDialog(dialogTemplate) {}

 private:
  friend class CPropertySheet;
#ifdef _WIN32
  // The page as the platform's sheet takes it; the template it points to lives in this object.
  PROPSHEETPAGEA Describe();
  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::vector<WORD> resource_;
#else
  // Builds the controls into the page's window, in the sheet's font, and runs OnInitDialog.
  void CreatePage(QWidget* window, const QFont& sheetFont);
#endif
};

}  // namespace qvtouch::ui
