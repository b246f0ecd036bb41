#include "tests/windows/support/window_driver.h"

#include <thread>

#include "tests/windows/support/screenshot.h"

namespace qvtouch::test {
namespace {

constexpr auto kPollInterval = 50ms;
// How long a screenshot waits for what was drawn to reach the screen.
constexpr auto kSettleTime = 300ms;

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace

HWND WaitForWindow(const char* caption, const char* windowClass,
                   std::chrono::milliseconds timeout) {
  // A dialog exists before its controls and its initialisation: it is ready once it is shown.
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = FindWindowA(windowClass, caption);
        return found != nullptr && IsWindowVisible(found);
      },
      timeout);
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

bool WaitUntilGone(HWND window, std::chrono::milliseconds timeout) {
  return WaitFor([window] { return IsWindow(window) == FALSE; }, timeout);
}

std::string WindowText(HWND window) {
  std::vector<char> text(static_cast<std::size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) +
                         1);
  const LRESULT length =
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return {text.data(), static_cast<std::size_t>(length)};
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control == nullptr ? std::string() : WindowText(control);
}

void PressButton(HWND dialog, int id) {
  PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressButton(HWND dialog, const char* text) {
  PostMessageA(FindWindowExA(dialog, nullptr, "Button", text), BM_CLICK, 0, 0);
}

std::vector<std::string> StaticTexts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = FindWindowExA(window, nullptr, "Static", nullptr); child != nullptr;
       child = FindWindowExA(window, child, "Static", nullptr)) {
    texts.push_back(WindowText(child));
  }
  return texts;
}

void PressKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void Close(HWND window) {
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void SaveScreenshot(HWND window, const std::string& name) {
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("QVTOUCH_SCREENSHOT_DIR", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  // Painted now (sent to its thread, so done when this returns), and shown by the X server.
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::this_thread::sleep_for(kSettleTime);
  RECT area{};
  GetWindowRect(window, &area);
  SaveScreenArea(area, std::string(folder) + "\\" + name + ".png");
}

std::string HostPath(const std::string& path) {
  std::string windows = "Z:" + path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

}  // namespace qvtouch::test
