#include "cpl/control_panel.h"

#include <cstring>

#include "cpl/resource.h"
#include "platform/ui/resources.h"

namespace {

CControlPanel* registeredPanel = nullptr;

template <std::size_t N>
void CopyText(CHAR (&destination)[N], LPCSTR text) {
  std::strncpy(destination, text, N - 1);
  destination[N - 1] = '\0';
}

}  // namespace

CControlPanel::CControlPanel() {
  registeredPanel = this;
}

LONG CControlPanel::OnDblclk(HWND /*hwndCPl*/, UINT /*uAppNum*/, LONG_PTR /*lData*/) {
  return 0;
}

LONG CControlPanel::OnExit() {
  return 0;
}

LONG CControlPanel::OnGetCount() {
  return 1;
}

LONG CControlPanel::OnInit() {
  return 1;
}

LONG CControlPanel::OnNewInquire(UINT /*uAppNum*/, NEWCPLINFO* pInfo) {
  FillItemInfo(pInfo, qvtouch::ui::LoadIconResource(kFrameIconResource), "Applet",
               "Raw Cpl Applet");
  return 0;
}

LONG CControlPanel::OnSelect(UINT /*uAppNum*/, LONG_PTR /*lData*/) {
  return 1;
}

LONG CControlPanel::OnStop(UINT /*uAppNum*/, LONG_PTR /*lData*/) {
  return 1;
}

void CControlPanel::FillItemInfo(NEWCPLINFO* pInfo, HICON icon, LPCSTR name, LPCSTR info) {
  pInfo->dwSize = sizeof(NEWCPLINFO);
  pInfo->dwFlags = 0;
  pInfo->dwHelpContext = 0;
  pInfo->lData = 0;
  pInfo->hIcon = icon;
  CopyText(pInfo->szName, name);
  CopyText(pInfo->szInfo, info);
  CopyText(pInfo->szHelpFile, "");
}

extern "C" CPL_EXPORT LONG CALLBACK CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1,
                                              LPARAM lParam2) {
  CControlPanel* panel = registeredPanel;
  if (panel == nullptr) return 0;
  const auto item = static_cast<UINT>(lParam1);
  switch (uMsg) {
    case CPL_INIT:
      return panel->OnInit();
    case CPL_GETCOUNT:
      return panel->OnGetCount();
    case CPL_INQUIRE:
      return 0;  // the CPLINFO record is left as it is
    case CPL_SELECT:
      return panel->OnSelect(item, lParam2);
    case CPL_DBLCLK:
      return panel->OnDblclk(hwndCPl, item, lParam2);
    case CPL_STOP:
      return panel->OnStop(item, lParam2);
    case CPL_EXIT:
      return panel->OnExit();
    case CPL_NEWINQUIRE: {
      auto* info = reinterpret_cast<NEWCPLINFO*>(lParam2);
      return info == nullptr ? 1 : panel->OnNewInquire(item, info);
    }
    case CPL_STARTWPARMSA:
    case CPL_STARTWPARMSW:
      return 0;  // no parameters are handled: the host opens the item with CPL_DBLCLK
    default:
      return 1;
  }
}
