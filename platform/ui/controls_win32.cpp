#include "platform/ui/controls.h"

namespace qvtouch::ui {
namespace {

constexpr DWORD_PTR kNoItemData = static_cast<DWORD_PTR>(CB_ERR);

// The control's answer to a message, or `none` when this object refers to no control.
LRESULT Send(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT none) {
  return control == nullptr ? none : SendMessageA(control, message, wParam, lParam);
}

}  // namespace

int CComboBox::AddString(LPCSTR text) {
  if (text == nullptr) return CB_ERR;
  return static_cast<int>(
      Send(GetSafeHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text), CB_ERR));
}

int CComboBox::GetCount() const {
  return static_cast<int>(Send(GetSafeHwnd(), CB_GETCOUNT, 0, 0, CB_ERR));
}

int CComboBox::GetCurSel() const {
  return static_cast<int>(Send(GetSafeHwnd(), CB_GETCURSEL, 0, 0, CB_ERR));
}

int CComboBox::SetCurSel(int index) {
  HWND combo = GetSafeHwnd();
  if (combo == nullptr) return CB_ERR;
  // An index that names no entry clears the choice, as the platform documents it (Wine keeps it).
  if (index < 0 || index >= GetCount()) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return CB_ERR;
  }
  return static_cast<int>(SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

DWORD_PTR CComboBox::GetItemData(int index) const {
  // CB_ERR, all bits set, for an index that names no entry.
  return static_cast<DWORD_PTR>(
      Send(GetSafeHwnd(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0, kNoItemData));
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
  const LRESULT result = Send(GetSafeHwnd(), CB_SETITEMDATA, static_cast<WPARAM>(index),
                              static_cast<LPARAM>(data), CB_ERR);
  return result == CB_ERR ? CB_ERR : 0;
}

void CSliderCtrl::SetRange(int minimum, int maximum) {
  Send(GetSafeHwnd(), TBM_SETRANGEMIN, FALSE, minimum, 0);
  Send(GetSafeHwnd(), TBM_SETRANGEMAX, TRUE, maximum, 0);
}

int CSliderCtrl::GetPos() const {
  return static_cast<int>(Send(GetSafeHwnd(), TBM_GETPOS, 0, 0, 0));
}

void CSliderCtrl::SetPos(int position) {
  Send(GetSafeHwnd(), TBM_SETPOS, TRUE, position, 0);
}

}  // namespace qvtouch::ui
