// The calibration window: borderless, topmost, exactly over the area the touch screen covers. It
// shows the background and one target at a time, turns the run's requests into posted events on
// the UI thread, and hands the release of an Escape pressed in it, and closing, to the run.
#pragma once

#include <QWidget>
#include <memory>

#include "calib/layout.h"
#include "calib/run/calibration_run.h"
#include "calib/screen/calibration_pictures.h"

namespace qvtouch::calib {

class CalibrationWindow final : public QWidget, public RunWindow {
 public:
  explicit CalibrationWindow(const ScreenLayout& layout);

  void Attach(CalibrationRun& run) { run_ = &run; }
  // Builds the pictures and shows the background with the first target.
  void DrawScreen();

  // RunWindow
  void PostShowTarget(std::int32_t target) override;
  void PostPassDone() override;
  void PostStartPass() override;
  void PostClose() override;
  void Quit() override;
  int ShowMessage(std::string_view text, std::string_view caption) override;
  void SetCursorVisible(bool visible) override;

  std::int32_t ShownTarget() const { return shownTarget_; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  const ScreenLayout layout_;
  std::unique_ptr<CalibrationPictures> pictures_;
  std::int32_t shownTarget_ = TARGET_NONE;
  CalibrationRun* run_ = nullptr;
  bool closing_ = false;
  bool escapePressed_ = false;  // the Escape key went down in this window and is still down
};

}  // namespace qvtouch::calib
