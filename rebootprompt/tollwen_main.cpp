// Tollwen, the post-install prompt. It takes no options.
#include <QApplication>

#include "rebootprompt/tollwen_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  CTollwenApp app;
  app.InitInstance();
  return 0;
}
