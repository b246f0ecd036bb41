// The driver's names and paths as the kernel's counted UTF-16 strings. The driver's text is
// 8-bit, and every name it uses (its device and link, the COM ports, its service key) is ASCII:
// other text is refused rather than guessed at. Only passive-level code uses these, so they live
// in paged pool.
#pragma once

#include <string_view>

#include "platform/kernel_nt/wdk.h"

namespace qvtouch::platform {

class UnicodeText {
 public:
  explicit UnicodeText(std::string_view text);
  ~UnicodeText();
  UnicodeText(const UnicodeText&) = delete;
  UnicodeText& operator=(const UnicodeText&) = delete;

  // STATUS_SUCCESS, STATUS_OBJECT_NAME_INVALID for text that is not ASCII, or
  // STATUS_INSUFFICIENT_RESOURCES.
  NtStatus Status() const { return status_; }
  PUNICODE_STRING Get() { return &text_; }

 private:
  UNICODE_STRING text_{};
  NtStatus status_ = STATUS_SUCCESS;
};

// Writes the text and a terminating zero to `out`, which has room for them; false, with nothing
// useful written, when the text is not ASCII.
bool WidenAscii(std::string_view text, PWCH out);

class AsciiText {
 public:
  explicit AsciiText(const UNICODE_STRING& text);
  ~AsciiText();
  AsciiText(const AsciiText&) = delete;
  AsciiText& operator=(const AsciiText&) = delete;

  // As UnicodeText::Status.
  NtStatus Status() const { return status_; }
  std::string_view View() const { return {text_, size_}; }

 private:
  char* text_ = nullptr;
  std::size_t size_ = 0;
  NtStatus status_ = STATUS_SUCCESS;
};

}  // namespace qvtouch::platform
