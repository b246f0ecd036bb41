// CPropertyPage: a dialog template shown as one page of a property sheet, under a tab that the
// template's title names. The sheet creates the page's controls the first time the page is shown
// and reads them back (UpdateData(TRUE)) whenever another page is chosen.
#pragma once

#include "platform/ui/dialog.h"

namespace qvtouch::ui {

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(const DialogTemplate& dialogTemplate) : CDialog(dialogTemplate) {}

 private:
  friend class CPropertySheet;
  // Builds the controls into the page's window, in the sheet's font, and runs OnInitDialog.
  void CreatePage(QWidget* window, const QFont& sheetFont);
};

}  // namespace qvtouch::ui
