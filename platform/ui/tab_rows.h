// The tabs of a property sheet, stacked in as many rows as they need to fit the sheet's width,
// as the platform stacks them: the rows share the width evenly, and the row that holds the chosen
// tab lies next to the page.
#pragma once

#include <QStringList>
#include <QStyleOptionTab>
#include <QWidget>
#include <functional>
#include <vector>

namespace qvtouch::ui {

class TabRows final : public QWidget {
 public:
  explicit TabRows(QWidget* parent);

  // The tabs, arranged in rows of at most `width` pixels, or of the widest tab's width when that
  // is wider, so that no caption is cut; the first is chosen.
  void SetTabs(const QStringList& captions, int width);
  void SetCurrent(int index);
  int Current() const { return current_; }
  QString TabText(int index) const { return captions_.value(index); }
  // Where a tab is, in this widget's coordinates; empty for an index that names no tab.
  QRect TabRect(int index) const;
  // Called with the tab's index when the user clicks a tab other than the chosen one.
  void OnChosen(std::function<void(int)> chosen) { chosen_ = std::move(chosen); }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QStyleOptionTab TabOption(int index) const;
  QSize TabSize(int index) const;
  // Places the tabs: the chosen tab's row at the bottom, each row of several stretched to the
  // full width.
  void Arrange();

  QStringList captions_;
  std::vector<std::vector<int>> rows_;  // tab indexes per row, in the order the tabs were given
  std::vector<QRect> rects_;            // per tab
  int width_ = 0;
  int tabHeight_ = 0;
  int current_ = -1;
  std::function<void(int)> chosen_;
};

}  // namespace qvtouch::ui
