#include "platform/ui/dialog_units.h"

#include <QFontMetrics>
#include <QString>

#include "platform/ui/template_text.h"

namespace qvtouch::ui {
namespace {

// number * numerator / denominator, rounded half away from zero, as the platform's MulDiv.
int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

int HorizontalPixels(int units, BaseUnits base) {
  return MulDiv(units, base.X, 4);
}
int VerticalPixels(int units, BaseUnits base) {
  return MulDiv(units, base.Y, 8);
}

}  // namespace

QFont TemplateFont(const DialogFont& font) {
  QFont installed(TemplateText(font.Face));
  installed.setStyleHint(QFont::SansSerif);
  installed.setPointSize(font.PointSize);
  return installed;
}

BaseUnits FontBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(alphabet / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const DialogUnitRect& rect, BaseUnits units) {
  return {HorizontalPixels(rect.X, units), VerticalPixels(rect.Y, units),
          HorizontalPixels(rect.Width, units), VerticalPixels(rect.Height, units)};
}

QSize ToPixels(const DialogSize& size, BaseUnits units) {
  return {HorizontalPixels(size.Width, units), VerticalPixels(size.Height, units)};
}

}  // namespace qvtouch::ui
