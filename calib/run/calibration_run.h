// The calibration run: the controller handshake, passes of four targets whose touches the driver
// captures, the trial calibration, and the user's answer. The UI thread calls the On... handlers
// as the window's messages arrive; one worker thread collects the touches of each pass. The two
// meet only through the window's posted messages and the auto-reset PassEvent.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>
#include <thread>

#include "calib/calibration.h"
#include "calib/monitor_sizes.h"
#include "calib/pass_points.h"
#include "calib/run/calibration_device.h"
#include "calib/run/controller_dialogue.h"
#include "calib/targets.h"
#include "platform/threads/auto_reset_event.h"

namespace qvtouch::calib {

inline constexpr std::string_view kConfirmText = "Is the cursor following the finger touching? ";
inline constexpr std::string_view kConfirmCaption = "Confirm Calibration";
inline constexpr std::string_view kNoDriverText =
    "The driver is not installed yet,\ninstall it then tray later.";
inline constexpr std::string_view kNoDriverCaption = "Comment";

// The message dialog's answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

// What the run asks of the calibration window. The two Post... calls about targets and passes
// come from the worker thread; every other call comes on the UI thread.
class RunWindow {
 public:
  virtual ~RunWindow() = default;
  virtual void PostShowTarget(std::int32_t target) = 0;
  virtual void PostPassDone() = 0;
  virtual void PostStartPass() = 0;
  // Closes the window; its close handling (OnDestroy) follows.
  virtual void PostClose() = 0;
  virtual void Quit() = 0;
  // The modal message dialog: kAnswerOk or kAnswerCancel.
  virtual int ShowMessage(std::string_view text, std::string_view caption) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
};

class CalibrationRun {
 public:
  CalibrationRun(CalibrationDevice& device, RunWindow& window, MonitorSizes monitors, Sleep sleep);
  // Ends and joins the worker thread.
  ~CalibrationRun();
  CalibrationRun(const CalibrationRun&) = delete;
  CalibrationRun& operator=(const CalibrationRun&) = delete;

  // Start-up, once the window exists: asks the controller for its assisted mode, which chooses
  // the method of the first pass.
  void Handshake();
  // Whether the pass event could be made; without it there must be no Begin.
  bool HasPassEvent() const { return passEvent_.Valid(); }
  // Start-up, once the screen is drawn: starts the worker, hides the cursor and asks the window
  // for the first pass.
  void Begin();

  // The window's messages. Escape and the close stop the worker: one waiting for the next pass
  // ends at once, without a pass of its own; one in a pass gives up each remaining capture after a
  // reading and sends no trial.
  void OnStartPass() { passEvent_.Set(); }
  void OnPassDone();
  void OnEscapeReleased();
  void OnDestroy();

  bool ControllerAssisted() const { return assisted_; }

 private:
  void Worker();
  std::optional<Calibration> CollectPass();
  RawPoint CapturePoint();
  void Stop();

  CalibrationDevice& device_;
  RunWindow& window_;
  const MonitorSizes monitors_;
  Sleep sleep_;
  ControllerDialogue dialogue_;
  platform::AutoResetEvent passEvent_;
  // Changed on the UI thread only while no pass runs; the worker reads it after PassEvent.
  bool assisted_ = true;
  std::atomic<bool> stopRequested_{false};
  // Written by the worker before it posts the pass's end; read on the UI thread when it arrives.
  std::optional<Calibration> trial_;
  std::thread worker_;
};

}  // namespace qvtouch::calib
