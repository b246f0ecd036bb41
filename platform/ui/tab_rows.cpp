#include "platform/ui/tab_rows.h"

#include <QMouseEvent>
#include <QStylePainter>
#include <algorithm>

namespace qvtouch::ui {

TabRows::TabRows(QWidget* parent) : QWidget(parent) {}

void TabRows::SetTabs(const QStringList& captions, int width) {
  captions_ = captions;
  width_ = width;
  tabHeight_ = 0;
  for (int index = 0; index < captions_.size(); ++index) {
    const QSize size = TabSize(index);
    width_ = std::max(width_, size.width());
    tabHeight_ = std::max(tabHeight_, size.height());
  }
  rows_.clear();
  int used = width_;
  for (int index = 0; index < captions_.size(); ++index) {
    const int tabWidth = TabSize(index).width();
    if (rows_.empty() || used + tabWidth > width_) {
      rows_.emplace_back();
      used = 0;
    }
    rows_.back().push_back(index);
    used += tabWidth;
  }
  current_ = captions_.isEmpty() ? -1 : 0;
  Arrange();
}

void TabRows::SetCurrent(int index) {
  if (index < 0 || index >= captions_.size() || index == current_) return;
  current_ = index;
  Arrange();
}

QRect TabRows::TabRect(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < rects_.size()
             ? rects_[static_cast<std::size_t>(index)]
             : QRect();
}

QSize TabRows::sizeHint() const {
  return {width_, tabHeight_ * static_cast<int>(rows_.size())};
}

void TabRows::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  // The chosen tab last: it overlaps its neighbours.
  for (int index = 0; index < captions_.size(); ++index) {
    if (index != current_) painter.drawControl(QStyle::CE_TabBarTab, TabOption(index));
  }
  if (current_ >= 0) painter.drawControl(QStyle::CE_TabBarTab, TabOption(current_));
}

void TabRows::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  for (int index = 0; index < captions_.size(); ++index) {
    if (index != current_ && TabRect(index).contains(event->position().toPoint())) {
      if (chosen_) chosen_(index);
      return;
    }
  }
}

QStyleOptionTab TabRows::TabOption(int index) const {
  QStyleOptionTab option;
  option.initFrom(this);
  option.shape = QTabBar::RoundedNorth;
  option.text = captions_.value(index);
  option.rect = TabRect(index);
  option.position = QStyleOptionTab::Middle;
  for (const std::vector<int>& row : rows_) {
    if (row.front() == index) option.position = QStyleOptionTab::Beginning;
    if (row.back() == index) option.position = QStyleOptionTab::End;
    if (row.size() == 1 && row.front() == index) option.position = QStyleOptionTab::OnlyOneTab;
  }
  if (index == current_) option.state |= QStyle::State_Selected;
  return option;
}

QSize TabRows::TabSize(int index) const {
  const QStyleOptionTab option = TabOption(index);
  const QSize text(
      fontMetrics().horizontalAdvance(option.text) +
          style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this),
      fontMetrics().height() + style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this));
  return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, text, this);
}

void TabRows::Arrange() {
  rects_.assign(static_cast<std::size_t>(captions_.size()), QRect());
  std::vector<const std::vector<int>*> order;
  const std::vector<int>* chosenRow = nullptr;
  for (const std::vector<int>& row : rows_) {
    const bool chosen = std::find(row.begin(), row.end(), current_) != row.end();
    if (chosen) {
      chosenRow = &row;
    } else {
      order.push_back(&row);
    }
  }
  if (chosenRow != nullptr) order.push_back(chosenRow);
  const bool stacked = rows_.size() > 1;
  for (std::size_t line = 0; line < order.size(); ++line) {
    const std::vector<int>& row = *order[line];
    int natural = 0;
    for (const int index : row) natural += TabSize(index).width();
    int spare = stacked ? std::max(0, width_ - natural) : 0;
    int x = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const int share = spare / static_cast<int>(row.size() - i);
      spare -= share;
      const int width = TabSize(row[i]).width() + share;
      rects_[static_cast<std::size_t>(row[i])] =
          QRect(x, static_cast<int>(line) * tabHeight_, width, tabHeight_);
      x += width;
    }
  }
  update();
}

}  // namespace qvtouch::ui
