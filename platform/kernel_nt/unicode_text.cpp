#include "platform/kernel_nt/unicode_text.h"

#include "platform/kernel_nt/pool.h"

namespace qvtouch::platform {
namespace {

constexpr bool IsAscii(unsigned value) {
  return value < 0x80;
}

}  // namespace

bool WidenAscii(std::string_view text, PWCH out) {
  for (const char ch : text) {
    const auto code = static_cast<unsigned char>(ch);
    if (!IsAscii(code)) return false;
    *out++ = code;
  }
  *out = L'\0';
  return true;
}

UnicodeText::UnicodeText(std::string_view text) {
  const std::size_t bytes = text.size() * sizeof(WCHAR);
  if (bytes + sizeof(WCHAR) > MAXUSHORT) {
    status_ = STATUS_OBJECT_NAME_INVALID;
    return;
  }
  auto* buffer = static_cast<PWCH>(AllocatePool(PagedPool, bytes + sizeof(WCHAR)));
  if (buffer == nullptr) {
    status_ = STATUS_INSUFFICIENT_RESOURCES;
    return;
  }
  if (!WidenAscii(text, buffer)) {
    FreePool(buffer);
    status_ = STATUS_OBJECT_NAME_INVALID;
    return;
  }
  text_.Buffer = buffer;
  text_.Length = static_cast<USHORT>(bytes);
  text_.MaximumLength = static_cast<USHORT>(bytes + sizeof(WCHAR));
}

UnicodeText::~UnicodeText() {
  if (text_.Buffer != nullptr) FreePool(text_.Buffer);
}

AsciiText::AsciiText(const UNICODE_STRING& text) {
  const std::size_t length = text.Length / sizeof(WCHAR);
  for (std::size_t i = 0; i < length; ++i) {
    if (!IsAscii(text.Buffer[i])) {
      status_ = STATUS_OBJECT_NAME_INVALID;
      return;
    }
  }
  text_ = static_cast<char*>(AllocatePool(PagedPool, length + 1));
  if (text_ == nullptr) {
    status_ = STATUS_INSUFFICIENT_RESOURCES;
    return;
  }
  for (std::size_t i = 0; i < length; ++i) text_[i] = static_cast<char>(text.Buffer[i]);
  text_[length] = '\0';
  size_ = length;
}

AsciiText::~AsciiText() {
  if (text_ != nullptr) FreePool(text_);
}

}  // namespace qvtouch::platform
