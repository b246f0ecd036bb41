#include "platform/ui/wnd.h"

#include <vector>

#include "platform/ui/win_app.h"

namespace qvtouch::ui {
namespace {

CRect FromRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

HWND CWnd::GetSafeHwnd() const {
  // The platform destroys a dialog's controls with the dialog, under the objects bound to them.
  return m_hWnd != nullptr && IsWindow(m_hWnd) ? m_hWnd : nullptr;
}

void CWnd::GetWindowRect(CRect* rect) const {
  RECT window{};
  if (HWND handle = GetSafeHwnd(); handle != nullptr && ::GetWindowRect(handle, &window)) {
    *rect = FromRect(window);
  }
}

void CWnd::GetClientRect(CRect* rect) const {
  RECT client{};
  if (HWND handle = GetSafeHwnd(); handle != nullptr && ::GetClientRect(handle, &client)) {
    *rect = FromRect(client);
  }
}

void CWnd::ScreenToClient(CRect* rect) const {
  HWND handle = GetSafeHwnd();
  if (handle == nullptr) return;
  RECT mapped{rect->left, rect->top, rect->right, rect->bottom};
  MapWindowPoints(HWND_DESKTOP, handle, reinterpret_cast<POINT*>(&mapped), 2);
  *rect = FromRect(mapped);
}

BOOL CWnd::MoveWindow(int x, int y, int width, int height) {
  HWND handle = GetSafeHwnd();
  return handle != nullptr && ::MoveWindow(handle, x, y, width, height, TRUE) ? TRUE : FALSE;
}

BOOL CWnd::SetWindowPos(int x, int y, int width, int height, UINT flags) {
  HWND handle = GetSafeHwnd();
  return handle != nullptr && ::SetWindowPos(handle, nullptr, x, y, width, height, flags) ? TRUE
                                                                                          : FALSE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
  HWND handle = GetSafeHwnd();
  if (handle == nullptr) return FALSE;
  const auto style = static_cast<DWORD>(GetWindowLongA(handle, GWL_STYLE));
  SetWindowLongA(handle, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add) {
  HWND handle = GetSafeHwnd();
  if (handle == nullptr) return FALSE;
  const auto style = static_cast<DWORD>(GetWindowLongA(handle, GWL_EXSTYLE));
  SetWindowLongA(handle, GWL_EXSTYLE, static_cast<LONG>((style & ~remove) | add));
  return TRUE;
}

void CWnd::SetWindowText(LPCSTR text) {
  if (HWND handle = GetSafeHwnd()) ::SetWindowTextA(handle, text);
}

void CWnd::GetWindowText(std::string& text) const {
  HWND handle = GetSafeHwnd();
  if (handle == nullptr) return;
  std::vector<char> buffer(static_cast<std::size_t>(GetWindowTextLengthA(handle)) + 1);
  const int length = ::GetWindowTextA(handle, buffer.data(), static_cast<int>(buffer.size()));
  text.assign(buffer.data(), static_cast<std::size_t>(length));
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) const {
  return ::MessageBoxA(GetSafeHwnd(), text, caption != nullptr ? caption : AfxGetAppName(), type);
}

CRect DesktopClientRect() {
  RECT client{};
  ::GetClientRect(GetDesktopWindow(), &client);
  return FromRect(client);
}

}  // namespace qvtouch::ui
