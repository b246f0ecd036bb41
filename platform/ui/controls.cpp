#include "platform/ui/controls.h"

#include <QComboBox>
#include <QSlider>

namespace qvtouch::ui {
namespace {

// Item data's role in a combo box's model.
constexpr int kItemDataRole = Qt::UserRole;
constexpr DWORD_PTR kNoItemData = static_cast<DWORD_PTR>(CB_ERR);

QComboBox* Combo(const QPointer<QWidget>& window) {
  return qobject_cast<QComboBox*>(window.data());
}
QSlider* Slider(const QPointer<QWidget>& window) {
  return qobject_cast<QSlider*>(window.data());
}

bool NamesEntry(const QComboBox* combo, int index) {
  return index >= 0 && index < combo->count();
}

}  // namespace

int CComboBox::AddString(LPCSTR text) {
  QComboBox* combo = Combo(m_hWnd);
  if (combo == nullptr || text == nullptr) return CB_ERR;
  const int current = combo->currentIndex();
  combo->addItem(QString::fromLocal8Bit(text));
  // The first entry added to an empty list would otherwise become its selection.
  combo->setCurrentIndex(current);
  return combo->count() - 1;
}

int CComboBox::GetCount() const {
  const QComboBox* combo = Combo(m_hWnd);
  return combo == nullptr ? CB_ERR : combo->count();
}

int CComboBox::GetCurSel() const {
  const QComboBox* combo = Combo(m_hWnd);
  return combo == nullptr ? CB_ERR : combo->currentIndex();
}

int CComboBox::SetCurSel(int index) {
  QComboBox* combo = Combo(m_hWnd);
  if (combo == nullptr) return CB_ERR;
  if (!NamesEntry(combo, index)) {
    combo->setCurrentIndex(-1);
    return CB_ERR;
  }
  combo->setCurrentIndex(index);
  return index;
}

DWORD_PTR CComboBox::GetItemData(int index) const {
  const QComboBox* combo = Combo(m_hWnd);
  if (combo == nullptr || !NamesEntry(combo, index)) return kNoItemData;
  return combo->itemData(index, kItemDataRole).value<DWORD_PTR>();
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
  QComboBox* combo = Combo(m_hWnd);
  if (combo == nullptr || !NamesEntry(combo, index)) return CB_ERR;
  combo->setItemData(index, QVariant::fromValue(data), kItemDataRole);
  return 0;
}

void CSliderCtrl::SetRange(int minimum, int maximum) {
  if (QSlider* slider = Slider(m_hWnd)) slider->setRange(minimum, maximum);
}

int CSliderCtrl::GetPos() const {
  const QSlider* slider = Slider(m_hWnd);
  // While a user's move is being reported the new position is already the slider's position,
  // but not yet its value.
  return slider == nullptr ? 0 : slider->sliderPosition();
}

void CSliderCtrl::SetPos(int position) {
  if (QSlider* slider = Slider(m_hWnd)) slider->setValue(position);
}

}  // namespace qvtouch::ui
