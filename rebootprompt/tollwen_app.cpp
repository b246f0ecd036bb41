#include "rebootprompt/tollwen_app.h"

#include "rebootprompt/system_restart.h"
#include "rebootprompt/tollwen_dlg.h"

BOOL CTollwenApp::InitInstance() {
  CTollwenDlg dlg;
  if (dlg.DoModal() == IDOK) qvtouch::rebootprompt::RequestSystemRestart();
  return FALSE;
}
