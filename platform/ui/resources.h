// The module's own pictures, named as the platform's resource calls take a resource number in
// text form: "#4001" is resource 4001. On Windows they are the module's resources; on Linux,
// Qt resources under ":/icons/" and ":/bitmaps/" named after their numbers (":/icons/4001.png").
#pragma once

#include <optional>
#include <string_view>

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

// The resource number of a name "#n" (n from 1 to 65535), or nullopt for any other text.
std::optional<int> ResourceNumber(std::string_view name);

// The icon of that name, loaded once and kept while this module stays loaded; null when there is
// no such icon (or, on Linux, no running QGuiApplication to load it in). User-interface thread
// only.
HICON LoadIconResource(LPCSTR name);

}  // namespace qvtouch::ui
