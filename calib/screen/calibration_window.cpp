#include "calib/screen/calibration_window.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <utility>

#include "calib/screen/message_dialog.h"
#include "calib/screen/single_instance.h"
#include "common/screen_post.h"

namespace qvtouch::calib {
namespace {

// The window's private messages, as posted events.
const QEvent::Type kShowTarget = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kPassDone = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kStartPass = static_cast<QEvent::Type>(QEvent::registerEventType());

class ShowTargetEvent final : public QEvent {
 public:
  explicit ShowTargetEvent(std::int32_t target) : QEvent(kShowTarget), Target(target) {}
  const std::int32_t Target;
};

}  // namespace

std::unique_ptr<CalibrationScreen> CalibrationScreen::Create(const ScreenLayout& layout) {
  // The window's class on X11 is the application's name.
  QApplication::setApplicationName(
      QString::fromUtf8(kWindowClass.data(), static_cast<int>(kWindowClass.size())));
  auto window = std::make_unique<CalibrationWindow>(layout);
  window->show();  // visible, in its plain colour, while the controller answers
  QApplication::processEvents();
  return window;
}

Size DisplaySize(std::int32_t screenPost) {
  // The primary monitor, or for a stretched desktop (one screen over two monitors) the whole of it.
  const QScreen* primary = QGuiApplication::primaryScreen();
  const bool stretched = screenPost >= kScreenStretchedLeft && screenPost <= kScreenStretchedBottom;
  const QSize display = stretched ? primary->virtualSize() : primary->size();
  return {display.width(), display.height()};
}

CalibrationWindow::CalibrationWindow(const ScreenLayout& layout)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), layout_(layout) {
  setWindowTitle(QString::fromUtf8(kWindowTitle.data(), static_cast<int>(kWindowTitle.size())));
  LoadCalibrationResources();
  setWindowIcon(QIcon(":/calibration/calibration.png"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  const WindowRect& area = layout.Window;
  setGeometry(area.Left, area.Top, layout.Width, layout.Height);
  setFixedSize(layout.Width, layout.Height);
}

void CalibrationWindow::DrawScreen() {
  pictures_ =
      std::make_unique<CalibrationPictures>(QSize(layout_.Width, layout_.Height), layout_.Y2 / 2);
  shownTarget_ = TARGET_TOP_LEFT;
  update();
}

void CalibrationWindow::Show() {
  raise();
  activateWindow();
}

int CalibrationWindow::RunMessageLoop() {
  return QApplication::exec();
}

void CalibrationWindow::PostShowTarget(std::int32_t target) {
  QCoreApplication::postEvent(this, new ShowTargetEvent(target));
}

void CalibrationWindow::PostPassDone() {
  QCoreApplication::postEvent(this, new QEvent(kPassDone));
}

void CalibrationWindow::PostStartPass() {
  QCoreApplication::postEvent(this, new QEvent(kStartPass));
}

void CalibrationWindow::PostClose() {
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CalibrationWindow::Quit() {
  QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                            Qt::QueuedConnection);
}

int CalibrationWindow::ShowMessage(std::string_view text, std::string_view caption) {
  // While the dialog is open the keyboard is the dialog's: an Escape pressed there is its Cancel,
  // and the release that follows it here is not this window's.
  escapePressed_ = false;
  return RunMessageDialog(this, text, caption);
}

// Hidden while targets show, shown for the dialog; each hide is matched by one show.
void CalibrationWindow::SetCursorVisible(bool visible) {
  if (visible) {
    QGuiApplication::restoreOverrideCursor();
  } else {
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
  }
}

bool CalibrationWindow::event(QEvent* event) {
  if (event->type() == kShowTarget) {
    shownTarget_ = static_cast<ShowTargetEvent*>(event)->Target;
    repaint();
    return true;
  }
  if (event->type() == kPassDone) {
    run_->OnPassDone();
    return true;
  }
  if (event->type() == kStartPass) {
    run_->OnStartPass();
    return true;
  }
  return QWidget::event(event);
}

// The background, and the target being shown. The target is drawn at every repaint, so that it
// comes back when another window has covered it.
void CalibrationWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (!pictures_) {
    painter.fillRect(rect(), palette().window());
    return;
  }
  painter.drawPixmap(0, 0, pictures_->Background());
  if (const auto at = layout_.TargetAt(shownTarget_)) {
    painter.drawPixmap(at->X - kTargetCentre, at->Y - kTargetCentre, pictures_->Target());
  }
}

void CalibrationWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
    escapePressed_ = true;
    return;
  }
  QWidget::keyPressEvent(event);
}

// Escape ends the run on its release, and only when this window saw the key go down.
void CalibrationWindow::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
    if (std::exchange(escapePressed_, false) && run_ != nullptr) run_->OnEscapeReleased();
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void CalibrationWindow::closeEvent(QCloseEvent* event) {
  if (!closing_ && run_ != nullptr) {
    closing_ = true;
    run_->OnDestroy();
  }
  QWidget::closeEvent(event);
}

}  // namespace qvtouch::calib
