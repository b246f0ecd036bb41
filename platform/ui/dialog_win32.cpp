#include "platform/ui/dialog.h"

#include "platform/ui/dialog_resource_win32.h"
#include "platform/ui/module.h"

namespace qvtouch::ui {

CDialog::CDialog(const DialogTemplate& dialogTemplate, HWND parent)
    : template_(&dialogTemplate), parent_(parent) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  RegisterControlClasses();
  const std::vector<WORD> resource = BuildDialogResource(*template_, DialogFrame::Popup);
  const INT_PTR result =
      DialogBoxIndirectParamA(ModuleInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(resource.data()),
                              parent_, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  controls_.clear();
  m_hWnd = nullptr;
  return static_cast<int>(result);
}

void CDialog::EndDialog(int result) {
  if (HWND window = GetSafeHwnd()) ::EndDialog(window, result);
}

CWnd* CDialog::GetDlgItem(int id) const {
  HWND window = GetSafeHwnd();
  HWND control = window == nullptr ? nullptr : ::GetDlgItem(window, id);
  if (control == nullptr) return nullptr;
  std::unique_ptr<CWnd>& wrapper = controls_[id];
  if (!wrapper) wrapper = std::make_unique<CWnd>();
  wrapper->Attach(control);
  return wrapper.get();
}

void CDialog::CheckRadioButton(int first, int last, int check) {
  if (HWND window = GetSafeHwnd()) ::CheckRadioButton(window, first, last, check);
}

int CDialog::GetCheckedRadioButton(int first, int last) const {
  HWND window = GetSafeHwnd();
  if (window == nullptr) return 0;
  for (int id = first; id <= last; ++id) {
    if (IsDlgButtonChecked(window, id) == BST_CHECKED) return id;
  }
  return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    return dialog->OnInitDialog();
  }
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      dialog->Notify(HIWORD(wParam), LOWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
      // From a slider: lParam is its window. (A dialog's own scroll bar sends none here.)
      if (lParam == 0) return FALSE;
      dialog->OnHScroll(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      return TRUE;
    case WM_NCDESTROY:
      dialog->controls_.clear();
      dialog->m_hWnd = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace qvtouch::ui
