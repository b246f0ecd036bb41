// The platform's entry point of a GUI program; the command line is not used.
#include "platform/ui/gui_entry.h"

#include "platform/ui/dialog_resource_win32.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  qvtouch::ui::RegisterControlClasses();
  return GuiMain();
}
