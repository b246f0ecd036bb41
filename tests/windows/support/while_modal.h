// Acting on a modal dialog from inside its own message loop, on the thread that runs it, once the
// dialog with that caption is shown: what a test does while DoModal waits.
#pragma once

#include <windows.h>

#include <functional>

namespace qvtouch::test {

class WhileModal {
 public:
  // From now on, the next shown top-level window of this thread with that caption gets `action`,
  // once.
  WhileModal(const char* caption, std::function<void(HWND dialog)> action);
  ~WhileModal();
  WhileModal(const WhileModal&) = delete;
  WhileModal& operator=(const WhileModal&) = delete;

  bool Acted() const { return acted_; }

 private:
  static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR timer, DWORD time);

  const char* caption_;
  std::function<void(HWND dialog)> action_;
  UINT_PTR timer_ = 0;
  bool acted_ = false;
};

}  // namespace qvtouch::test
