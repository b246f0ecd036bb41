// qvsercalib, the calibration program: shows the targets over the touch screen's area, lets the
// driver capture a touch on each, tries the computed calibration in the driver and stores it once
// the user confirms that the pointer follows the finger. It takes no options.
#include <QApplication>
#include <QScreen>
#include <chrono>
#include <thread>

#include "calib/layout.h"
#include "calib/run/calibration_run.h"
#include "calib/scale_indexes.h"
#include "calib/screen/calibration_window.h"
#include "calib/screen/message_dialog.h"
#include "calib/screen/single_instance.h"
#include "common/screen_post.h"

int main(int argc, char** argv) {
  using namespace qvtouch::calib;
  QApplication application(argc, argv);
  // The window's class on X11 is the application's name.
  QApplication::setApplicationName(
      QString::fromUtf8(kWindowClass.data(), static_cast<int>(kWindowClass.size())));

  if (BringRunningCalibrationToFront()) return 0;

  std::unique_ptr<CalibrationDevice> device = OpenDriverDevice();
  const std::optional<std::int32_t> screenPost =
      device ? device->GetScreenPost() : std::optional<std::int32_t>{};
  if (!screenPost) {
    RunMessageDialog(nullptr, kNoDriverText, kNoDriverCaption);
    return 0;
  }

  // The display the placements divide: the primary monitor, or for a stretched desktop (one
  // screen over two monitors, placements 17 to 20) the whole of it.
  QScreen* primary = QGuiApplication::primaryScreen();
  const bool stretched = *screenPost >= qvtouch::kScreenStretchedLeft &&
                         *screenPost <= qvtouch::kScreenStretchedBottom;
  const QSize display = stretched ? primary->virtualSize() : primary->size();
  const ScreenLayout layout =
      LayOutScreen(*screenPost, {display.width(), display.height()}, ReadMonitorScaleIndexes());
  CalibrationWindow window(layout);
  window.show();  // visible, in its plain colour, while the controller answers
  QApplication::processEvents();

  CalibrationRun run(*device, window, layout.Monitors,
                     [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); });
  window.Attach(run);
  run.Handshake();
  window.DrawScreen();
  window.raise();
  window.activateWindow();
  run.Begin();
  return QApplication::exec();
}
