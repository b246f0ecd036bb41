// CControlPanel: a reusable frame for one Control Panel applet. CPlApplet, the library's only
// export, forwards each CPL_ message to the frame constructed last; the base's answers suit an
// applet with one item that does nothing.
#pragma once

#include "platform/ui/cpl.h"

class CControlPanel {
 public:
  // Registers this frame with CPlApplet; the destructor leaves it registered, since the frame
  // lives as long as the library.
  CControlPanel();
  virtual ~CControlPanel() = default;
  CControlPanel(const CControlPanel&) = delete;
  CControlPanel& operator=(const CControlPanel&) = delete;

  virtual LONG OnDblclk(HWND hwndCPl, UINT uAppNum, LONG_PTR lData);
  virtual LONG OnExit();
  virtual LONG OnGetCount();
  virtual LONG OnInit();
  virtual LONG OnNewInquire(UINT uAppNum, NEWCPLINFO* pInfo);
  virtual LONG OnSelect(UINT uAppNum, LONG_PTR lData);
  virtual LONG OnStop(UINT uAppNum, LONG_PTR lData);

 protected:
  // Fills the record for an item without help, flags or data.
  static void FillItemInfo(NEWCPLINFO* pInfo, HICON icon, LPCSTR name, LPCSTR info);
};

// The applet's entry point, called by the Control Panel host. Without a registered frame every
// message answers 0, so CPL_INIT makes the host unload the library. A CPL_NEWINQUIRE without a
// record answers 1 and writes nothing. CPL_STARTWPARMS answers 0, so that a host started for this
// applet opens its item; any other message the frame does not know answers 1.
extern "C" LONG CALLBACK CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2);
