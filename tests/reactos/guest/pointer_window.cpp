#include "tests/reactos/guest/pointer_window.h"

#include <windowsx.h>

namespace qvtouch::test {
namespace {

constexpr const char* kClassName = "QVTouchPointerWindow";

const char* KindOf(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
      return "move";
    case WM_LBUTTONDOWN:
      return "left-down";
    case WM_LBUTTONUP:
      return "left-up";
    case WM_RBUTTONDOWN:
      return "right-down";
    case WM_RBUTTONUP:
      return "right-up";
    default:
      return nullptr;
  }
}

}  // namespace

PointerWindow::PointerWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
  window_ = CreateWindowExA(WS_EX_TOPMOST, kClassName, "QVTouch pointer", WS_POPUP | WS_VISIBLE, 0,
                            0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                            nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window_ == nullptr) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetForegroundWindow(window_);
  // What the window gets for being made under the pointer is not the pointer's doing.
  Collect(0, std::chrono::milliseconds(300), std::chrono::milliseconds(300));
  messages_.clear();
}

PointerWindow::~PointerWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

const std::vector<MouseMessage>& PointerWindow::Collect(std::size_t buttons,
                                                        std::chrono::milliseconds quiet,
                                                        std::chrono::milliseconds timeout) {
  const DWORD start = GetTickCount();
  lastMessageAt_ = GetTickCount();
  for (;;) {
    // Differences of the 32-bit tick count stay right across its wrap.
    const DWORD now = GetTickCount();
    if (now - start >= static_cast<DWORD>(timeout.count())) break;
    if (buttons_ >= buttons && now - lastMessageAt_ >= static_cast<DWORD>(quiet.count())) {
      break;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return messages_;
}

LRESULT CALLBACK PointerWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  auto* self = reinterpret_cast<PointerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (const char* kind = KindOf(message); kind != nullptr && self != nullptr) {
    self->messages_.push_back({kind, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (message != WM_MOUSEMOVE) ++self->buttons_;
    self->lastMessageAt_ = GetTickCount();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace qvtouch::test
