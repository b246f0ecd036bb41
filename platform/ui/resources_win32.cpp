#include "platform/ui/resources.h"

#include "platform/ui/module.h"

namespace qvtouch::ui {

HICON LoadIconResource(LPCSTR name) {
  const std::optional<int> number = name == nullptr ? std::nullopt : ResourceNumber(name);
  if (!number) return nullptr;
  return LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(*number));
}

}  // namespace qvtouch::ui
