#include "rebootprompt/tollwen_app.h"

#include "platform/restart/system_restart.h"
#include "rebootprompt/tollwen_dlg.h"

BOOL CTollwenApp::InitInstance() {
  CTollwenDlg dlg;
  if (dlg.DoModal() == IDOK) qvtouch::platform::RequestSystemRestart();
  return FALSE;
}
