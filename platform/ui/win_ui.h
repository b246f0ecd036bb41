// The platform's user-interface types and constants, as the programs spell them. On Windows they
// are the platform's own (user32, comctl32); on Linux a window handle is the Qt widget that stands
// for the window.
#pragma once

#include "platform/base/win32_types.h"

#ifdef _WIN32
#include <commctrl.h>

// A control that no code refers to, as resource scripts name it.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#else
#include <cstdint>

class QIcon;
class QWidget;

using UINT = unsigned int;
using CHAR = char;
using LONG_PTR = std::intptr_t;
using LPARAM = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using HWND = QWidget*;
using HICON = const QIcon*;

// Dialog results and the ids of the OK and Cancel buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
// IDC_STATIC: a control that no code refers to.
inline constexpr int IDC_STATIC = -1;

// Message box styles.
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr UINT MB_ICONWARNING = 0x00000030;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;

// Control notifications.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;

// A combo box's answer for "no such entry" or "no selection".
inline constexpr int CB_ERR = -1;

// Window styles and SetWindowPos flags.
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
#endif  // _WIN32

struct CRect {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;

  LONG Width() const { return right - left; }
  LONG Height() const { return bottom - top; }
  bool operator==(const CRect&) const = default;
};
