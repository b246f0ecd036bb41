// The calibration screen on Linux: a Qt widget, borderless and on top, whose posted events carry
// the run's requests from the worker thread to the UI thread. It hands the release of an Escape
// pressed in it, and closing, to the run.
#pragma once

#include <QWidget>
#include <memory>

#include "calib/screen/calibration_pictures.h"
#include "calib/screen/calibration_screen.h"

namespace qvtouch::calib {

class CalibrationWindow final : public QWidget, public CalibrationScreen {
 public:
  explicit CalibrationWindow(const ScreenLayout& layout);

  // CalibrationScreen
  void Attach(CalibrationRun& run) override { run_ = &run; }
  void DrawScreen() override;
  void Show() override;
  int RunMessageLoop() override;

  // RunWindow
  void PostShowTarget(std::int32_t target) override;
  void PostPassDone() override;
  void PostStartPass() override;
  void PostClose() override;
  void Quit() override;
  int ShowMessage(std::string_view text, std::string_view caption) override;
  void SetCursorVisible(bool visible) override;

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
