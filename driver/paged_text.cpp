#include "driver/paged_text.h"

#include <algorithm>

namespace qvtouch::driver {

PagedText& PagedText::operator=(PagedText&& other) noexcept {
  if (this != &other) {
    Release();
    kernel_ = other.kernel_;
    text_ = other.text_;
    size_ = other.size_;
    other.kernel_ = nullptr;
    other.text_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

bool PagedText::Assign(Kernel& kernel, std::initializer_list<std::string_view> parts) {
  Release();
  std::size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  auto* text = static_cast<char*>(kernel.AllocatePaged(size + 1));
  if (text == nullptr) return false;
  char* end = text;
  for (const std::string_view part : parts) end = std::copy(part.begin(), part.end(), end);
  *end = '\0';
  kernel_ = &kernel;
  text_ = text;
  size_ = size;
  return true;
}

void PagedText::Release() {
  if (text_ != nullptr) kernel_->FreePaged(text_);
  kernel_ = nullptr;
  text_ = nullptr;
  size_ = 0;
}

}  // namespace qvtouch::driver
