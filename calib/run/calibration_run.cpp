#include "calib/run/calibration_run.h"

#include "calib/calibration_store.h"
#include "calib/computation.h"
#include "common/capture.h"

namespace qvtouch::calib {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kCapturePollInterval{50};

}  // namespace

CalibrationRun::CalibrationRun(CalibrationDevice& device, RunWindow& window, MonitorSizes monitors,
                               Sleep sleep)
    : device_(device),
      window_(window),
      monitors_(monitors),
      sleep_(sleep),
      dialogue_(device, std::move(sleep)) {}

CalibrationRun::~CalibrationRun() {
  Stop();
  if (worker_.joinable()) worker_.join();
}

void CalibrationRun::Handshake() {
  assisted_ = dialogue_.EnterAtStart();
}

void CalibrationRun::Begin() {
  stopRequested_ = false;
  worker_ = std::thread([this] { Worker(); });
  window_.SetCursorVisible(false);
  window_.PostStartPass();
}

void CalibrationRun::Stop() {
  stopRequested_ = true;
  passEvent_.Set();  // a worker waiting for the next pass wakes and ends
}

void CalibrationRun::Worker() {
  for (;;) {
    passEvent_.Wait();
    if (stopRequested_) return;  // woken to end, not for a pass
    std::optional<Calibration> trial = CollectPass();
    if (!trial) return;  // stopped
    trial_ = std::move(trial);
    window_.PostPassDone();
    if (stopRequested_) return;
  }
}

// One pass: the four targets of the method, the computation and the trial in the driver. A pass
// whose span comes out 0 is neither tried nor kept: its targets are shown again.
std::optional<Calibration> CalibrationRun::CollectPass() {
  for (;;) {
    const CalibrationMethod method =
        assisted_ ? CalibrationMethod::ControllerAssisted : CalibrationMethod::FourCorner;
    PassPoints points;
    for (const std::int32_t target : TargetsOf(method)) {
      window_.PostShowTarget(target);
      *points.For(target) = CapturePoint();
    }
    window_.PostShowTarget(TARGET_NONE);
    if (stopRequested_) return std::nullopt;
    PassResult result = ComputeCalibration(method, points, monitors_);
    if (auto* calibration = std::get_if<Calibration>(&result)) {
      device_.SetCalibration(calibration->Block());
      return std::move(*calibration);
    }
  }
}

// Waits for one complete touch (a press, then a release) after arming the driver's capture. There
// is no time limit; once a stop is requested each capture gives up after one more reading.
RawPoint CalibrationRun::CapturePoint() {
  device_.ArmCapture();
  CaptureReading reading{CaptureArmed, 0, 0};
  for (;;) {
    device_.GetCapture(reading);  // a failed read leaves the reading as it was
    sleep_(kCapturePollInterval);
    if (stopRequested_ || reading.State == CaptureReleased) return {reading.RawX, reading.RawY};
  }
}

void CalibrationRun::OnPassDone() {
  const Calibration& trial = *trial_;
  if (assisted_) dialogue_.WriteLinearityAndLeave(trial.Linearity().value_or(LinearityValues{}));
  window_.SetCursorVisible(true);
  if (window_.ShowMessage(kConfirmText, kConfirmCaption) == kAnswerOk) {
    StoreCalibration(trial, [this](std::string_view text, std::string_view caption) {
      window_.ShowMessage(text, caption);
    });
    window_.PostClose();  // the driver keeps the trial, now also the stored calibration
    return;
  }
  // Rejected: the stored calibration comes back, and the next pass may use the other method.
  assisted_ = dialogue_.EnterAgain();
  window_.SetCursorVisible(false);
  device_.ReloadSettings();
  window_.PostStartPass();
}

void CalibrationRun::OnEscapeReleased() {
  Stop();
  if (assisted_) dialogue_.LeaveOnEscape();
  device_.ReloadSettings();
  window_.Quit();
}

// Closing keeps whatever calibration the driver holds: no reload.
void CalibrationRun::OnDestroy() {
  Stop();
  if (assisted_) dialogue_.LeaveOnClose();
  window_.Quit();
}

}  // namespace qvtouch::calib
