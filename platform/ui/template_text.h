// A text of a template (a title, a control's text, a font's face) as Qt takes it.
#pragma once

#include <QString>
#include <string_view>

namespace qvtouch::ui {

inline QString TemplateText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace qvtouch::ui
