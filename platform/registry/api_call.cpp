#include "platform/registry/api_call.h"

#include "platform/registry/key_path.h"

namespace qvtouch::platform {

std::string_view NameOf(LPCSTR name) {
  return name == nullptr ? std::string_view() : name;
}

std::vector<std::string_view> KeyPathOf(std::string_view path) {
  auto names = SplitKeyPath(path);
  if (!names) throw StoreError(ERROR_INVALID_PARAMETER);
  return std::move(*names);
}

}  // namespace qvtouch::platform
