// CWnd: a window as the programs handle it. It refers to the window and never owns it: the
// window may be destroyed under it (a dialog's controls when the dialog closes), after which the
// CWnd refers to nothing. On Linux the window is the Qt widget that stands for it.
#pragma once

#include <string>

#include "platform/ui/win_ui.h"

#ifndef _WIN32
#include <QPointer>
#include <QWidget>
#endif

namespace qvtouch::ui {

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The window, or null when there is none (not yet created, or destroyed).
  HWND GetSafeHwnd() const;
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
  // Moves the window, and sizes it unless SWP_NOSIZE is given. On Linux it never changes the
  // z-order or the active window, so SWP_NOZORDER and SWP_NOACTIVATE describe what it always does.
  BOOL SetWindowPos(int x, int y, int width, int height, UINT flags);
  // Window styles. WS_TABSTOP lets Tab move the focus into the window.
  BOOL ModifyStyle(DWORD remove, DWORD add);
  // Extended window styles. WS_EX_CONTROLPARENT lets the dialog's keyboard navigation enter the
  // window's own controls; on Linux the focus chain does that by itself.
  BOOL ModifyStyleEx(DWORD remove, DWORD add);
  // A top-level window's caption, a control's text.
  void SetWindowText(LPCSTR text);
  void GetWindowText(std::string& text) const;
  // A message box owned by this window; a null caption is the application's name.
  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK) const;

 protected:
#ifdef _WIN32
  HWND m_hWnd = nullptr;
#else
  QPointer<QWidget> m_hWnd;
#endif
};

// The client rectangle of the desktop window: the primary screen's size in pixels.
CRect DesktopClientRect();

}  // namespace qvtouch::ui
