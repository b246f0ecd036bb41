// Dialog units: a template's coordinates, in quarters of its font's average character width and
// eighths of its character height, turned into pixels as the platform turns them.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "platform/ui/dialog_template.h"

namespace qvtouch::ui {

// The installed font for a template's font. The platform's faces are not installed here; they
// fall back to the system's sans-serif face at the template's point size.
QFont TemplateFont(const DialogFont& font);

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct BaseUnits {
  int X = 0;
  int Y = 0;
};

// The average width of the letters A to Z and a to z, rounded, and the font's height.
BaseUnits FontBaseUnits(const QFont& font);

QRect ToPixels(const DialogUnitRect& rect, BaseUnits units);
QSize ToPixels(const DialogSize& size, BaseUnits units);

}  // namespace qvtouch::ui
