#include "tests/platform/ui/qt_test_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <cstdlib>

namespace qvtouch::ui::testing {
namespace {

constexpr std::chrono::milliseconds kPollInterval{5};
constexpr int kModalPolls = 2000;  // 10 s
constexpr std::chrono::milliseconds kWatchInterval{100};
constexpr std::chrono::seconds kModalPatience{60};

int argc = 1;
char programName[] = "qvtouch-test";
char* argv[] = {programName, nullptr};

QMessageBox* ShownMessageBox() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(window);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

void PollForModal(const std::shared_ptr<std::function<void(QWidget&)>>& script, int pollsLeft) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal != nullptr && qobject_cast<QMessageBox*>(modal) == nullptr && modal->isVisible()) {
    (*script)(*modal);
    return;
  }
  if (pollsLeft == 0) {
    ADD_FAILURE() << "no modal dialog appeared";
    return;
  }
  QTimer::singleShot(kPollInterval, [script, pollsLeft] { PollForModal(script, pollsLeft - 1); });
}

}  // namespace

class QtApplicationEnvironment::ModalWatchdog {
 public:
  ModalWatchdog() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Check(); });
    timer_.start(kWatchInterval);
  }

 private:
  void Check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != watched_) {
      watched_ = modal;
      since_.start();
      return;
    }
    if (modal == nullptr || since_.elapsed() < std::chrono::milliseconds(kModalPatience).count()) {
      return;
    }
    ADD_FAILURE() << "the modal window \"" << modal->windowTitle().toStdString()
                  << "\" stayed open for " << kModalPatience.count() << " s; closing it";
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->done(QDialog::Rejected);
    } else {
      modal->close();
    }
  }

  QTimer timer_;
  QPointer<QWidget> watched_;
  QElapsedTimer since_;
};

QtApplicationEnvironment::QtApplicationEnvironment() = default;
QtApplicationEnvironment::~QtApplicationEnvironment() = default;

void QtApplicationEnvironment::SetUp() {
  Prepare();
  application_ = std::make_unique<QApplication>(argc, argv);
  watchdog_ = std::make_unique<ModalWatchdog>();
}

void QtApplicationEnvironment::TearDown() {
  watchdog_.reset();
  application_.reset();
  Finish();
}

void QtApplicationEnvironment::Prepare() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

bool UseQtApplication(QtApplicationEnvironment* environment) {
  static bool registered = false;
  if (registered) {
    delete environment;
    return true;
  }
  registered = true;
  ::testing::AddGlobalTestEnvironment(environment != nullptr ? environment
                                                             : new QtApplicationEnvironment);
  return true;
}

MessageBoxCloser::MessageBoxCloser() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QMessageBox* box = ShownMessageBox();
    if (box == nullptr) return;
    seen_.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                     box->parentWidget() != nullptr});
    box->button(QMessageBox::Ok)->click();
  });
  timer_.start(kPollInterval);
}

void WhenModal(std::function<void(QWidget& dialog)> script) {
  auto shared = std::make_shared<std::function<void(QWidget&)>>(std::move(script));
  QTimer::singleShot(0, [shared] { PollForModal(shared, kModalPolls); });
}

SheetHost::SheetHost(std::initializer_list<CPropertyPage*> pages) {
  parent_.Attach(&window_);
  for (CPropertyPage* page : pages) sheet_.AddPage(page);
  created_ = sheet_.Create(&parent_, WS_CHILD | WS_VISIBLE) == TRUE;
  window_.resize(800, 600);
  window_.show();
}

QWidget& SheetHost::Page(int index) const {
  return *SheetPages(window_).widget(index);
}

void SheetHost::ClickTab(int index) const {
  testing::ClickTab(window_, index);
}

TabRows& SheetTabs(const QWidget& window) {
  return *dynamic_cast<TabRows*>(window.findChild<QWidget*>(QStringLiteral("tabs")));
}

QStackedWidget& SheetPages(const QWidget& window) {
  return *window.findChild<QStackedWidget*>(QStringLiteral("pages"));
}

void ClickTab(const QWidget& window, int index) {
  TabRows& tabs = SheetTabs(window);
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.TabRect(index).center());
}

void ChooseEntry(QComboBox& combo, int index) {
  combo.showPopup();
  QAbstractItemView* list = combo.view();
  const QModelIndex item = list->model()->index(index, 0);
  list->scrollTo(item);
  const QRect entry = list->visualRect(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
}

bool ProcessEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!condition()) {
    if (elapsed.elapsed() > bound.count()) return false;
    QTest::qWait(static_cast<int>(kPollInterval.count()));
  }
  return true;
}

}  // namespace qvtouch::ui::testing
