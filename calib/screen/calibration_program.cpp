#include "calib/screen/calibration_program.h"

#include "calib/layout.h"
#include "calib/run/calibration_run.h"
#include "calib/scale_indexes.h"
#include "calib/screen/calibration_screen.h"
#include "calib/screen/message_dialog.h"

namespace qvtouch::calib {

int RunCalibrationProgram(CalibrationDevice* device, Sleep sleep) {
  const std::optional<std::int32_t> screenPost =
      device != nullptr ? device->GetScreenPost() : std::optional<std::int32_t>{};
  if (!screenPost) {
    RunMessageDialog(nullptr, kNoDriverText, kNoDriverCaption);
    return 0;
  }

  const ScreenLayout layout =
      LayOutScreen(*screenPost, DisplaySize(*screenPost), ReadMonitorScaleIndexes());
  const std::unique_ptr<CalibrationScreen> screen = CalibrationScreen::Create(layout);
  if (!screen) return 0;

  CalibrationRun run(*device, *screen, layout.Monitors, std::move(sleep));
  screen->Attach(run);
  run.Handshake();
  screen->DrawScreen();
  // Without its pass event the worker could not wait for a pass.
  if (!run.HasPassEvent()) return 0;
  screen->Show();
  run.Begin();
  return screen->RunMessageLoop();
}

}  // namespace qvtouch::calib
