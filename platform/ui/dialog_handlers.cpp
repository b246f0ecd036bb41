// What every dialog does the same way on each platform: its data exchange, its default handlers,
// and the dispatch of its controls' notifications.
#include "platform/ui/data_exchange.h"
#include "platform/ui/dialog.h"

namespace qvtouch::ui {

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void CDialog::OnHScroll(int /*id*/) {}

void CDialog::Notify(UINT code, int id) {
  for (const Command& command : commands_) {
    if (command.Code == code && command.Id == id) {
      command.Handler();
      return;
    }
  }
  if (code != BN_CLICKED) return;
  if (id == IDOK) OnOK();
  if (id == IDCANCEL) OnCancel();
}

}  // namespace qvtouch::ui
