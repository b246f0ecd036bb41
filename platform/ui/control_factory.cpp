#include "platform/ui/control_factory.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QValidator>

#include "platform/ui/resources.h"
#include "platform/ui/template_text.h"
#include "platform/ui/win_ui.h"

namespace qvtouch::ui {
namespace {

// The edit field of a combo box never counts as finished: a finished edit would select the entry
// whose text was typed, which the platform's combo box does not do.
class TypedTextSelectsNothing final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& /*input*/, int& /*position*/) const override { return Intermediate; }
};

QLabel* CreateText(const ControlTemplate& control, QWidget* parent, Qt::Alignment alignment) {
  auto* label = new QLabel(TemplateText(control.Text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(alignment |
                      (control.Styles.CentredVertically ? Qt::AlignVCenter : Qt::AlignTop));
  return label;
}

// A picture takes the size of its bitmap, at the rectangle's top-left corner. Its text names the
// bitmap: "#4007" is ":/bitmaps/4007.png".
QLabel* CreatePicture(const ControlTemplate& control, QWidget* parent, QRect& rect) {
  auto* label = new QLabel(parent);
  const std::optional<int> number = ResourceNumber(control.Text);
  const QPixmap bitmap =
      number ? QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(*number)) : QPixmap();
  if (!bitmap.isNull()) {
    label->setPixmap(bitmap);
    rect.setSize(bitmap.size());
  }
  return label;
}

// The open list has the template's height below the closed box; the box itself is as high as
// its font needs.
QComboBox* CreateCombo(QWidget* parent, QRect& rect, bool editable) {
  auto* combo = new QComboBox(parent);
  if (editable) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->lineEdit()->setValidator(new TypedTextSelectsNothing(combo));
  }
  const int boxHeight = combo->sizeHint().height();
  const int itemHeight = combo->fontMetrics().height();
  combo->setMaxVisibleItems(std::max(1, (rect.height() - boxHeight) / itemHeight));
  rect.setHeight(boxHeight);
  return combo;
}

// Drawn behind the controls it frames, and never in the way of their clicks.
QGroupBox* CreateGroupBox(const ControlTemplate& control, QWidget* parent) {
  auto* group = new QGroupBox(TemplateText(control.Text), parent);
  group->setAttribute(Qt::WA_TransparentForMouseEvents);
  group->setFocusPolicy(Qt::NoFocus);
  return group;
}

QWidget* CreateWidget(const ControlTemplate& control, QWidget* parent, QRect& rect) {
  switch (control.Kind) {
    case ControlKind::Text:
      return CreateText(control, parent, Qt::AlignLeft);
    case ControlKind::CentredText:
      return CreateText(control, parent, Qt::AlignHCenter);
    case ControlKind::Picture:
      return CreatePicture(control, parent, rect);
    case ControlKind::HiddenFrame: {
      auto* frame = new QFrame(parent);
      frame->setFrameShape(QFrame::Box);
      return frame;
    }
    case ControlKind::PushButton:
      return new QPushButton(TemplateText(control.Text), parent);
    case ControlKind::DefaultPushButton: {
      auto* button = new QPushButton(TemplateText(control.Text), parent);
      button->setDefault(true);
      return button;
    }
    case ControlKind::GroupBox:
      return CreateGroupBox(control, parent);
    case ControlKind::AutoRadioButton:
      return new QRadioButton(TemplateText(control.Text), parent);
    case ControlKind::DropDownList:
      return CreateCombo(parent, rect, false);
    case ControlKind::DropDownCombo:
      return CreateCombo(parent, rect, true);
    case ControlKind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setTickPosition(QSlider::NoTicks);
      return slider;
    }
  }
  return new QWidget(parent);
}

}  // namespace

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, BaseUnits units) {
  QRect rect = ToPixels(control.Rect, units);
  QWidget* widget = CreateWidget(control, parent, rect);
  widget->setGeometry(rect);
  // Shown explicitly: a page's controls are created after the page itself is already shown.
  widget->setVisible(control.Kind != ControlKind::HiddenFrame);
  if (control.Id != IDC_STATIC) widget->setObjectName(QString::number(control.Id));
  if (control.Kind == ControlKind::GroupBox) widget->lower();
  return widget;
}

}  // namespace qvtouch::ui
