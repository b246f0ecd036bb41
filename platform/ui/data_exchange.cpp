#include "platform/ui/data_exchange.h"

#include <iostream>

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace qvtouch::ui {
namespace {

// The control, or null, said on standard error, when the dialog's template has no such control:
// an exchange that names a control the template does not hold is a programming error.
CWnd* Control(CDataExchange* pDX, int id) {
  CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
  if (control == nullptr || control->GetSafeHwnd() == nullptr) {
    std::cerr << "dialog " << pDX->m_pDlgWnd->Template().Id << ": no control " << id
              << " for its data exchange\n";
    return nullptr;
  }
  return control;
}

// Wraps the control for the duration of one exchange.
template <typename Wrapper>
bool Wrap(CDataExchange* pDX, int id, Wrapper& wrapper) {
  const CWnd* control = Control(pDX, id);
  if (control == nullptr) return false;
  wrapper.Attach(control->GetSafeHwnd());
  return true;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.GetSafeHwnd() != nullptr) return;
  const CWnd* window = Control(pDX, id);
  control.Attach(window == nullptr ? nullptr : window->GetSafeHwnd());
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& index) {
  CComboBox combo;
  if (!Wrap(pDX, id, combo)) return;
  if (pDX->m_bSaveAndValidate) {
    index = combo.GetCurSel();
  } else {
    combo.SetCurSel(index);
  }
}

void DDX_Slider(CDataExchange* pDX, int id, int& value) {
  CSliderCtrl slider;
  if (!Wrap(pDX, id, slider)) return;
  if (pDX->m_bSaveAndValidate) {
    value = slider.GetPos();
  } else {
    slider.SetPos(value);
  }
}

void DDX_Text(CDataExchange* pDX, int id, std::string& text) {
  CWnd* control = Control(pDX, id);
  if (control == nullptr) return;
  if (pDX->m_bSaveAndValidate) {
    control->GetWindowText(text);
  } else {
    control->SetWindowText(text.c_str());
  }
}

}  // namespace qvtouch::ui
