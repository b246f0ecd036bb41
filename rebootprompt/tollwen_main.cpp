// Tollwen, the post-install prompt. It takes no options.
#include "platform/ui/gui_entry.h"
#include "rebootprompt/tollwen_app.h"

int GuiMain() {
  CTollwenApp app;
  app.InitInstance();
  return 0;
}
