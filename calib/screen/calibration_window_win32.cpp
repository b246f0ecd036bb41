// The calibration screen on the platform itself: a window of class "QVTCALIBA" drawn with GDI,
// whose private messages carry the run's requests from the worker thread to the UI thread.
#include <windows.h>

#include <string>
#include <utility>

#include "calib/screen/calibration_screen.h"
#include "calib/screen/calibration_surfaces_win32.h"
#include "calib/screen/message_dialog.h"
#include "calib/screen/single_instance.h"

namespace qvtouch::calib {
namespace {

constexpr UINT WM_CALIB_START_PASS = WM_USER + 21;
constexpr UINT WM_CALIB_SHOW_TARGET = WM_USER + 22;
constexpr UINT WM_CALIB_PASS_DONE = WM_USER + 23;

constexpr int kClassIcon = 134;
constexpr LPARAM kPreviouslyDown = 1 << 30;

class GdiCalibrationScreen final : public CalibrationScreen {
 public:
  explicit GdiCalibrationScreen(const ScreenLayout& layout) : layout_(layout) {}
  // Destroying the window sends WM_DESTROY once more; the run may be gone by then.
  ~GdiCalibrationScreen() override {
    run_ = nullptr;
    if (window_ != nullptr) DestroyWindow(window_);
  }
  GdiCalibrationScreen(const GdiCalibrationScreen&) = delete;
  GdiCalibrationScreen& operator=(const GdiCalibrationScreen&) = delete;

  bool CreateOverLayout();

  void Attach(CalibrationRun& run) override { run_ = &run; }
  void DrawScreen() override;
  void Show() override;
  int RunMessageLoop() override;

  // RunWindow
  void PostShowTarget(std::int32_t target) override {
    PostMessageA(window_, WM_CALIB_SHOW_TARGET, 0, target);
  }
  void PostPassDone() override { PostMessageA(window_, WM_CALIB_PASS_DONE, 0, 0); }
  void PostStartPass() override { PostMessageA(window_, WM_CALIB_START_PASS, 0, 0); }
  // The close handling runs from the posted WM_DESTROY; the window itself stays until the end.
  void PostClose() override { PostMessageA(window_, WM_DESTROY, 0, 0); }
  void Quit() override { PostQuitMessage(0); }
  int ShowMessage(std::string_view text, std::string_view caption) override {
    // While the dialog is open the keyboard is the dialog's: an Escape pressed there is its
    // Cancel, and the release that follows it here is not this window's.
    escapePressed_ = false;
    return RunMessageDialog(window_, text, caption);
  }
  void SetCursorVisible(bool visible) override { ShowCursor(visible ? TRUE : FALSE); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The background and the target being shown. The target is drawn at every repaint, so that it
  // comes back when another window has covered it.
  void Paint(HDC device) const;

  const ScreenLayout layout_;
  HWND window_ = nullptr;
  std::unique_ptr<CalibrationSurfaces> surfaces_;
  std::int32_t shownTarget_ = TARGET_NONE;
  CalibrationRun* run_ = nullptr;
  bool closing_ = false;
  bool escapePressed_ = false;  // the Escape key went down in this window and is still down
};

bool GdiCalibrationScreen::CreateOverLayout() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const std::string className(kWindowClass);
  const std::string title(kWindowTitle);
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &GdiCalibrationScreen::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kClassIcon));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = className.c_str();
  RegisterClassA(&windowClass);
  const WindowRect& area = layout_.Window;
  window_ = CreateWindowExA(WS_EX_TOPMOST, className.c_str(), title.c_str(), WS_POPUP | WS_VISIBLE,
                            area.Left, area.Top, layout_.Width, layout_.Height, nullptr, nullptr,
                            instance, this);
  return window_ != nullptr;
}

void GdiCalibrationScreen::DrawScreen() {
  surfaces_ =
      std::make_unique<CalibrationSurfaces>(window_, layout_.Width, layout_.Height, layout_.Y2 / 2);
  shownTarget_ = TARGET_TOP_LEFT;
  InvalidateRect(window_, nullptr, FALSE);
}

void GdiCalibrationScreen::Show() {
  ShowWindow(window_, SW_SHOWDEFAULT);
  UpdateWindow(window_);
  SetForegroundWindow(window_);
}

int GdiCalibrationScreen::RunMessageLoop() {
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

void GdiCalibrationScreen::Paint(HDC device) const {
  if (surfaces_) surfaces_->Show(device, layout_.TargetAt(shownTarget_));
}

LRESULT CALLBACK GdiCalibrationScreen::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* screen = static_cast<GdiCalibrationScreen*>(
        reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    screen->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(screen));
  }
  auto* screen = reinterpret_cast<GdiCalibrationScreen*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (screen == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return screen->Handle(message, wParam, lParam);
}

LRESULT GdiCalibrationScreen::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CALIB_START_PASS:
      if (run_ != nullptr) run_->OnStartPass();
      return 0;
    case WM_CALIB_SHOW_TARGET: {
      shownTarget_ = static_cast<std::int32_t>(lParam);
      HDC device = GetDC(window_);
      Paint(device);
      ReleaseDC(window_, device);
      return 0;
    }
    case WM_CALIB_PASS_DONE:
      if (run_ != nullptr) run_->OnPassDone();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC device = BeginPaint(window_, &paint);
      Paint(device);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_KEYDOWN:
      // A key that was already down repeats: bit 30 holds its previous state.
      if (wParam == VK_ESCAPE && (lParam & kPreviouslyDown) == 0) {
        escapePressed_ = true;
        return 0;
      }
      break;
    case WM_KEYUP:
      // Escape ends the run on its release, and only when this window saw the key go down.
      if (wParam == VK_ESCAPE) {
        if (std::exchange(escapePressed_, false) && run_ != nullptr) run_->OnEscapeReleased();
        return 0;
      }
      break;
    case WM_DESTROY:
      if (!closing_ && run_ != nullptr) {
        closing_ = true;
        run_->OnDestroy();
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<CalibrationScreen> CalibrationScreen::Create(const ScreenLayout& layout) {
  auto screen = std::make_unique<GdiCalibrationScreen>(layout);
  if (!screen->CreateOverLayout()) return nullptr;
  return screen;
}

Size DisplaySize(std::int32_t /*screenPost*/) {
  // The system's full-screen size: a stretched desktop's spans both monitors.
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace qvtouch::calib
