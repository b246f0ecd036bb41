#include "platform/ui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <algorithm>
#include <iostream>

#include "platform/ui/control_factory.h"
#include "platform/ui/dialog_fit.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/template_text.h"

namespace qvtouch::ui {
namespace {

QAbstractButton* Button(const CWnd* control) {
  return control == nullptr ? nullptr : qobject_cast<QAbstractButton*>(control->GetSafeHwnd());
}

// The room left between a control and a window that the dialog's code added above it.
constexpr DialogSize kSpacing{0, 4};

CRect PlaceOf(const QWidget* widget) {
  const QRect place = widget->geometry();
  return {place.left(), place.top(), place.left() + place.width(), place.top() + place.height()};
}

// Moves the template's controls out from under the windows that the dialog's code added (a
// property sheet), and sizes the dialog to show them all.
void FitToAddedWindows(QWidget& window, const std::vector<QWidget*>& templateControls,
                       QSize templateSize, int spacing) {
  std::vector<ControlPlace> places;
  for (const QWidget* control : templateControls) {
    places.push_back({PlaceOf(control), !control->isHidden()});
  }
  std::vector<CRect> added;
  std::vector<CRect> shown;
  for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || child->isHidden()) continue;
    const bool fromTemplate = std::find(templateControls.begin(), templateControls.end(), child) !=
                              templateControls.end();
    if (!fromTemplate) added.push_back(PlaceOf(child));
  }
  const LONG moved = ClearAddedWindows(places, added, spacing);
  for (std::size_t i = 0; i < templateControls.size(); ++i) {
    templateControls[i]->move(places[i].Rect.left, places[i].Rect.top);
  }
  for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow() && !child->isHidden()) shown.push_back(PlaceOf(child));
  }
  const ClientSize size =
      FittedClientSize(shown, {templateSize.width(), templateSize.height() + moved});
  window.setFixedSize(size.Width, size.Height);
}

}  // namespace

DialogWindow::DialogWindow(CDialog& dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {}

void DialogWindow::reject() {
  dialog_.OnCancel();
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, HWND parent)
    : template_(&dialogTemplate), parent_(parent) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    std::cerr << "dialog \"" << template_->Title << "\": no QApplication to show it in\n";
    return -1;
  }
  DialogWindow window(*this, parent_);
  m_hWnd = &window;
  const QFont font = TemplateFont(template_->Font);
  window.setFont(font);
  window.setWindowTitle(TemplateText(template_->Title));
  const BaseUnits units = FontBaseUnits(font);
  const QSize templateSize = ToPixels(template_->Size, units);
  window.setFixedSize(templateSize);
  const std::vector<QWidget*> templateControls = CreateControls(&window, font);
  OnInitDialog();
  FitToAddedWindows(window, templateControls, templateSize, ToPixels(kSpacing, units).height());
  const int result = window.exec();
  controls_.clear();
  return result;
}

void CDialog::EndDialog(int result) {
  if (auto* window = qobject_cast<QDialog*>(m_hWnd.data())) window->done(result);
}

CWnd* CDialog::GetDlgItem(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second.get();
}

void CDialog::CheckRadioButton(int first, int last, int check) {
  for (const auto& [id, control] : controls_) {
    QAbstractButton* button = Button(control.get());
    if (id < first || id > last || button == nullptr) continue;
    // An automatic radio button of a group would refuse to clear itself.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(id == check);
    button->setAutoExclusive(exclusive);
  }
}

int CDialog::GetCheckedRadioButton(int first, int last) const {
  for (const auto& [id, control] : controls_) {  // in ascending id order
    const QAbstractButton* button = Button(control.get());
    if (id >= first && id <= last && button != nullptr && button->isChecked()) return id;
  }
  return 0;
}

std::vector<QWidget*> CDialog::CreateControls(QWidget* window, const QFont& font) {
  controls_.clear();
  std::vector<QWidget*> created;
  const BaseUnits units = FontBaseUnits(font);
  for (const ControlTemplate& control : template_->Controls) {
    QWidget* widget = CreateControl(control, window, units);
    created.push_back(widget);
    if (control.Id == IDC_STATIC) continue;
    auto wrapper = std::make_unique<CWnd>();
    wrapper->Attach(widget);
    controls_[control.Id] = std::move(wrapper);
    Connect(widget, control.Id);
  }
  return created;
}

void CDialog::Connect(QWidget* control, int id) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    QObject::connect(button, &QAbstractButton::clicked, [this, id] { Notify(BN_CLICKED, id); });
  } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
    QObject::connect(combo, &QComboBox::activated, [this, id] { Notify(CBN_SELCHANGE, id); });
  } else if (auto* slider = qobject_cast<QSlider*>(control)) {
    QObject::connect(slider, &QAbstractSlider::actionTriggered, [this, id] { OnHScroll(id); });
  }
}

}  // namespace qvtouch::ui
