// The platform's message box: a modal message that waits for the user. On Windows it is the
// platform's own (user32).
#pragma once

#include "platform/ui/win_ui.h"

#ifndef _WIN32
// Shows text with the caption ("Error" when it is null) and the icon of the MB_ICON* style, with
// an OK button, over owner (null: no owner), and returns IDOK when the user has closed it. Without
// a running QApplication there is nothing to show it on: the message goes to standard error as
// "caption: text" and IDOK is returned at once.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
#endif
