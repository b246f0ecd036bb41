// The applet library's application object. Its panel is constructed when the library loads and
// lives until it unloads, so the settings record outlives each opening.
#pragma once

#include "cpl/quvo_panel.h"
#include "platform/ui/win_app.h"

class CQvtouchApp : public qvtouch::ui::CWinApp {
 public:
  CQuvoPanel m_panel;
};

extern CQvtouchApp theApp;
