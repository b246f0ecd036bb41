// CWnd: a window as the programs handle it. It refers to the Qt widget that stands for the
// window and never owns it: the widget may be destroyed under it (a dialog's controls when the
// dialog closes), after which the CWnd refers to nothing.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The widget, or null when there is none (not yet created, or destroyed).
  HWND GetSafeHwnd() const { return m_hWnd.data(); }
  // Makes this object refer to a window created elsewhere.
  void Attach(HWND window) { m_hWnd = window; }

  // The window's rectangle in screen coordinates, its frame included for a top-level window.
  void GetWindowRect(CRect* rect) const;
  // The client area: (0, 0) to its width and height.
  void GetClientRect(CRect* rect) const;
  // Screen coordinates to this window's client coordinates.
  void ScreenToClient(CRect* rect) const;
  // Moves and sizes the window (for a top-level window the size includes its frame). A window
  // keeps within its minimum and maximum sizes, so a fixed-size dialog is only moved.
  BOOL MoveWindow(int x, int y, int width, int height);
  // Moves the window, and sizes it unless SWP_NOSIZE is given. It never changes the z-order or
  // the active window, so SWP_NOZORDER and SWP_NOACTIVATE describe what it always does.
  BOOL SetWindowPos(int x, int y, int width, int height, UINT flags);
  // Window styles that matter to a widget: WS_TABSTOP lets Tab move the focus into the window.
  BOOL ModifyStyle(DWORD remove, DWORD add);
  // A message box owned by this window; a null caption is the application's name.
  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK) const;

 protected:
  QPointer<QWidget> m_hWnd;
};

// The client rectangle of the desktop window: the primary screen's size in pixels.
CRect DesktopClientRect();

}  // namespace qvtouch::ui
