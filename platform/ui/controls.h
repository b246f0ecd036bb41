// The controls the programs keep as members, bound to a dialog's controls by DDX_Control. Each
// answers as the platform's control does, also when it refers to no control (CB_ERR, 0).
#pragma once

#include "platform/ui/wnd.h"

namespace qvtouch::ui {

class CButton : public CWnd {};

class CStatic : public CWnd {};

class CComboBox : public CWnd {
 public:
  // Appends an entry; its index, or CB_ERR.
  int AddString(LPCSTR text);
  int GetCount() const;
  // The selected entry's index, or CB_ERR when none is selected.
  int GetCurSel() const;
  // Selects an entry; an index that names no entry clears the selection and returns CB_ERR.
  int SetCurSel(int index);
  // The number kept with an entry; CB_ERR (all bits set) for an index that names no entry.
  DWORD_PTR GetItemData(int index) const;
  int SetItemData(int index, DWORD_PTR data);
};

class CSliderCtrl : public CWnd {
 public:
  // The position is kept inside the range: setting the range moves it in.
  void SetRange(int minimum, int maximum);
  // The thumb's position, also while a move is being reported.
  int GetPos() const;
  // Moves the thumb, inside the range; reports nothing to the dialog.
  void SetPos(int position);
};

}  // namespace qvtouch::ui
