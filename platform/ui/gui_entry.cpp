// The entry point of a GUI program on Linux: the QApplication its windows run in.
#include <QApplication>

#include "platform/ui/gui_entry.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  return GuiMain();
}
