// Dialog data exchange: each DDX_ call moves one value between a control and a member, in the
// direction UpdateData asks for.
#pragma once

#include <string>

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

class CDialog;
class CWnd;

class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

  BOOL m_bSaveAndValidate;  // TRUE: controls into members; FALSE: members into controls
  CDialog* m_pDlgWnd;
};

// Binds the member to the control, once: later calls find it bound and leave it.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// A combo box's selected index; -1 is no selection, and an index that names no entry clears it.
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// A slider's position; a value outside the slider's range shows at the nearer end, and is read
// back as that end.
void DDX_Slider(CDataExchange* pDX, int id, int& value);
// A control's text.
void DDX_Text(CDataExchange* pDX, int id, std::string& text);

}  // namespace qvtouch::ui
