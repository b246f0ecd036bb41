// Text in the kernel's paged memory, for what only passive-level code reads: the driver's copy of
// its service key path and the settings key path built from it. Making one can fail.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "driver/kernel.h"

namespace qvtouch::driver {

class PagedText {
 public:
  PagedText() = default;
  ~PagedText() { Release(); }
  PagedText(PagedText&& other) noexcept { *this = std::move(other); }
  PagedText& operator=(PagedText&& other) noexcept;

  // Replaces the text with the parts joined; false, and the text empty, when the kernel has no
  // memory for it. The text is followed by a zero, as the platform's strings are.
  bool Assign(Kernel& kernel, std::initializer_list<std::string_view> parts);
  void Release();

  std::string_view View() const { return {text_, size_}; }

 private:
  Kernel* kernel_ = nullptr;
  char* text_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace qvtouch::driver
