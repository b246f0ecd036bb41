// qvsercalib, the calibration program: shows the targets over the touch screen's area, lets the
// driver capture a touch on each, tries the computed calibration in the driver and stores it once
// the user confirms that the pointer follows the finger. It takes no options.
#include <chrono>
#include <thread>

#include "calib/layout.h"
#include "calib/run/calibration_run.h"
#include "calib/scale_indexes.h"
#include "calib/screen/calibration_screen.h"
#include "calib/screen/message_dialog.h"
#include "calib/screen/single_instance.h"
#include "platform/ui/gui_entry.h"

int GuiMain() {
  using namespace qvtouch::calib;
  if (BringRunningCalibrationToFront()) return 0;

  std::unique_ptr<CalibrationDevice> device = OpenDriverDevice();
  const std::optional<std::int32_t> screenPost =
      device ? device->GetScreenPost() : std::optional<std::int32_t>{};
  if (!screenPost) {
    RunMessageDialog(nullptr, kNoDriverText, kNoDriverCaption);
    return 0;
  }

  const ScreenLayout layout =
      LayOutScreen(*screenPost, DisplaySize(*screenPost), ReadMonitorScaleIndexes());
  const std::unique_ptr<CalibrationScreen> screen = CalibrationScreen::Create(layout);
  if (!screen) return 0;

  CalibrationRun run(*device, *screen, layout.Monitors,
                     [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); });
  screen->Attach(run);
  run.Handshake();
  screen->DrawScreen();
  screen->Show();
  run.Begin();
  return screen->RunMessageLoop();
}
