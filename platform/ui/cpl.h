// The Control Panel's applet interface. An applet is a shared library that exports one function,
// CPlApplet, which the Control Panel host calls with the CPL_ messages:
//
//   CPL_INIT                          once after loading; 0 makes the host unload the library
//   CPL_GETCOUNT                      the number of items (dialogs) the applet offers
//   CPL_NEWINQUIRE item, NEWCPLINFO*  fills in an item's name, description and icon
//   CPL_DBLCLK     item, lData        opens the item; hwndCPl is the Control Panel's window
//   CPL_STOP       item, lData        once per item before unloading
//   CPL_EXIT                          last, before the library is unloaded
//
// CPL_INQUIRE (CPLINFO, resource numbers) and CPL_SELECT exist for hosts that use them. A host
// started for one applet ("control.exe QVTcpl.cpl") sends CPL_STARTWPARMS with the command line's
// extra parameters first, and CPL_DBLCLK only when that is answered with 0 (not handled).
#pragma once

#include "platform/ui/win_ui.h"

#ifdef _WIN32
#include <cpl.h>

// CPlApplet is the library's only export (linked with --kill-at, so that it is exported
// undecorated).
#define CPL_EXPORT __declspec(dllexport)
#else
// The platform's calling convention of callbacks; one convention only here.
#define CALLBACK
// CPlApplet is the library's only symbol with default visibility.
#define CPL_EXPORT __attribute__((visibility("default")))

inline constexpr UINT CPL_INIT = 1;
inline constexpr UINT CPL_GETCOUNT = 2;
inline constexpr UINT CPL_INQUIRE = 3;
inline constexpr UINT CPL_SELECT = 4;
inline constexpr UINT CPL_DBLCLK = 5;
inline constexpr UINT CPL_STOP = 6;
inline constexpr UINT CPL_EXIT = 7;
inline constexpr UINT CPL_NEWINQUIRE = 8;
inline constexpr UINT CPL_STARTWPARMSA = 9;
inline constexpr UINT CPL_STARTWPARMSW = 10;

struct CPLINFO {
  int idIcon;
  int idName;
  int idInfo;
  LONG_PTR lData;
};

// ANSI form. 244 bytes with the platform's 32-bit pointers; larger on 64-bit Linux, where the item
// data and the icon are 64 bits wide, so dwSize holds sizeof(NEWCPLINFOA).
struct NEWCPLINFOA {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHelpContext;
  LONG_PTR lData;
  HICON hIcon;  // valid while the applet's library stays loaded
  CHAR szName[32];
  CHAR szInfo[64];
  CHAR szHelpFile[128];
};
using NEWCPLINFO = NEWCPLINFOA;

using APPLET_PROC = LONG (*)(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2);
#endif  // _WIN32

// The name under which an applet library exports its APPLET_PROC.
inline constexpr const char* kAppletProcName = "CPlApplet";
