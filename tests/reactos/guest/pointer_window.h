// A window over the whole screen that keeps every mouse message it gets, as a person's program
// sees the pointer: where it moves and where its buttons go down and up.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace qvtouch::test {

struct MouseMessage {
  std::string Kind;  // move, left-down, left-up, right-down or right-up
  int X = 0;         // the screen pixel
  int Y = 0;
};

class PointerWindow {
 public:
  PointerWindow();
  ~PointerWindow();
  PointerWindow(const PointerWindow&) = delete;
  PointerWindow& operator=(const PointerWindow&) = delete;

  bool Shown() const { return window_ != nullptr; }
  // Runs the window's messages until `buttons` button messages have come and then nothing for
  // `quiet`, or until `timeout`; returns every message since the window was made.
  const std::vector<MouseMessage>& Collect(std::size_t buttons, std::chrono::milliseconds quiet,
                                           std::chrono::milliseconds timeout);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  std::vector<MouseMessage> messages_;
  std::size_t buttons_ = 0;
  DWORD lastMessageAt_ = 0;
};

}  // namespace qvtouch::test
