// A GUI program's own start-up, which the platform's entry point runs once the window system is
// ready: WinMain on Windows, after registering the common controls; main on Linux, with a
// QApplication. The programs take no options, so the command line is not passed on.
#pragma once

// Defined by each GUI program; its result is the program's exit code.
int GuiMain();
