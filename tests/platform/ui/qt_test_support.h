// What the Qt tests share: the test program's QApplication, message boxes that close themselves
// after being noted, and a script that runs inside a modal dialog's event loop.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/property_page.h"
#include "platform/ui/property_sheet.h"
#include "platform/ui/tab_rows.h"

class QApplication;

namespace qvtouch::ui::testing {

// Makes the test program's QApplication before its first test and destroys it after its last.
// Prepare runs just before: by default it picks the offscreen platform unless QT_QPA_PLATFORM
// names one; Finish runs just after.
//
// A modal window that stays open for a minute (a dialog that a script left open, a message box
// that nobody closes) fails the test and is closed, so that no test waits for a user forever.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  QtApplicationEnvironment();
  ~QtApplicationEnvironment() override;
  void SetUp() override;
  void TearDown() override;

 protected:
  virtual void Prepare();
  virtual void Finish() {}

 private:
  class ModalWatchdog;

  std::unique_ptr<QApplication> application_;
  std::unique_ptr<ModalWatchdog> watchdog_;
};

// Registers the environment (the default one when null) with the test framework, once per
// program: each test source may call it from a namespace-scope initialiser; later calls only
// delete what they are given.
bool UseQtApplication(QtApplicationEnvironment* environment = nullptr);

struct SeenMessageBox {
  std::string Caption;
  std::string Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  bool Owned = false;  // shown over an owner window
};

// While it exists, every message box that appears is noted and closed with its OK button.
class MessageBoxCloser {
 public:
  MessageBoxCloser();
  const std::vector<SeenMessageBox>& Seen() const { return seen_; }

 private:
  QTimer timer_;
  std::vector<SeenMessageBox> seen_;
};

// Runs the script once a modal dialog (not a message box) is shown, inside its event loop; the
// script must end the dialog. A dialog that does not appear within the bound fails the test.
void WhenModal(std::function<void(QWidget& dialog)> script);

// Spins the event loop until the condition holds; whether it did within the bound.
bool ProcessEventsUntil(const std::function<bool()>& condition,
                        std::chrono::milliseconds bound = std::chrono::seconds(10));

// A shown window that holds a property sheet of the pages.
class SheetHost {
 public:
  explicit SheetHost(std::initializer_list<CPropertyPage*> pages);
  SheetHost(const SheetHost&) = delete;
  SheetHost& operator=(const SheetHost&) = delete;

  bool Created() const { return created_; }
  CPropertySheet& Sheet() { return sheet_; }
  const QWidget& Window() const { return window_; }
  QWidget& Page(int index) const;
  // Chooses the page as a user does, with a click on its tab.
  void ClickTab(int index) const;

 private:
  QWidget window_;
  CWnd parent_;
  CPropertySheet sheet_;
  bool created_ = false;
};

// The tabs and the pages of the property sheet in a window.
TabRows& SheetTabs(const QWidget& window);
QStackedWidget& SheetPages(const QWidget& window);
// Clicks the tab of a property sheet in the window.
void ClickTab(const QWidget& window, int index);

// Chooses an entry of a combo box as a user does: opens its list and clicks the entry.
void ChooseEntry(QComboBox& combo, int index);

// A child widget by its object name (a control's id), or null.
template <typename Widget>
Widget* Child(const QWidget& parent, int id) {
  return parent.findChild<Widget*>(QString::number(id));
}

}  // namespace qvtouch::ui::testing
