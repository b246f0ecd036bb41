#include "calib/screen/calibration_surfaces_win32.h"

#include "calib/screen/calibration_screen.h"

namespace qvtouch::calib {
namespace {

constexpr int kBackgroundBitmap = 135;
constexpr COLORREF kCrossColour = RGB(255, 96, 0);
constexpr COLORREF kDiscColour = RGB(255, 255, 0);
constexpr COLORREF kTextColour = RGB(32, 32, 255);
constexpr int kPenWidth = 2;
// The face SimSun, as its name is spelled in the GB2312 code page.
constexpr char kTextFace[] = "\xCB\xCE\xCC\xE5";

HINSTANCE ProgramInstance() {
  return GetModuleHandleA(nullptr);
}

// The cross on the cell: an orange ring with a white band, a yellow disc inside, and four orange
// arms that stop 6 pixels short of the centre.
void DrawCross(HDC cell) {
  HPEN pen = CreatePen(PS_SOLID, kPenWidth, kCrossColour);
  HBRUSH disc = CreateSolidBrush(kDiscColour);
  HGDIOBJ previousPen = SelectObject(cell, pen);
  Ellipse(cell, 7, 7, 47, 47);  // with the surface's default white brush
  HGDIOBJ previousBrush = SelectObject(cell, disc);
  Ellipse(cell, 13, 13, 41, 41);
  const POINT arms[][2] = {{{0, kTargetCentre}, {21, kTargetCentre}},
                           {{kTargetSize, kTargetCentre}, {33, kTargetCentre}},
                           {{kTargetCentre, 0}, {kTargetCentre, 21}},
                           {{kTargetCentre, kTargetSize}, {kTargetCentre, 33}}};
  for (const auto& arm : arms) {
    MoveToEx(cell, arm[0].x, arm[0].y, nullptr);
    LineTo(cell, arm[1].x, arm[1].y);
  }
  SelectObject(cell, previousPen);
  SelectObject(cell, previousBrush);
  DeleteObject(pen);
  DeleteObject(disc);
}

}  // namespace

CalibrationSurfaces::CalibrationSurfaces(HWND window, int width, int height, int textTop)
    : width_(width), height_(height) {
  HDC screen = GetDC(window);
  background_ = CreateCompatibleDC(screen);
  backgroundBitmap_ = LoadImageA(ProgramInstance(), MAKEINTRESOURCEA(kBackgroundBitmap),
                                 IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION);
  if (backgroundBitmap_ == nullptr)
    backgroundBitmap_ = CreateCompatibleBitmap(screen, width, height);
  backgroundFirstBitmap_ = SelectObject(background_, backgroundBitmap_);
  BitBlt(screen, 0, 0, width_, height_, background_, 0, 0, SRCCOPY);

  cell_ = CreateCompatibleDC(screen);
  cellBitmap_ = CreateCompatibleBitmap(screen, kTargetCellSize, kTargetCellSize);
  cellFirstBitmap_ = SelectObject(cell_, cellBitmap_);
  BitBlt(cell_, 0, 0, kTargetCellSize, kTargetCellSize, background_, 0, 0, SRCCOPY);
  DrawCross(cell_);

  SetTextColor(background_, kTextColour);
  SetBkMode(background_, TRANSPARENT);
  font_ = CreateFontA(16, 0, 0, 600, 500, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, kTextFace);
  if (font_ != nullptr) SelectObject(background_, font_);
  RECT text{};
  GetClientRect(window, &text);
  text.top = textTop;
  DrawTextA(background_, kInstructionText, -1, &text, DT_CENTER | DT_SINGLELINE);
  BitBlt(screen, 0, 0, width_, height_, background_, 0, 0, SRCCOPY);
  ReleaseDC(window, screen);
}

CalibrationSurfaces::~CalibrationSurfaces() {
  SelectObject(background_, backgroundFirstBitmap_);
  SelectObject(cell_, cellFirstBitmap_);
  DeleteDC(background_);
  DeleteDC(cell_);
  DeleteObject(backgroundBitmap_);
  DeleteObject(cellBitmap_);
  if (font_ != nullptr) DeleteObject(font_);
}

void CalibrationSurfaces::Show(HDC device, std::optional<WindowPoint> target) const {
  BitBlt(device, 0, 0, width_, height_, background_, 0, 0, SRCCOPY);
  if (target) {
    BitBlt(device, target->X - kTargetCentre, target->Y - kTargetCentre, kTargetSize, kTargetSize,
           cell_, 0, 0, SRCCOPY);
  }
}

}  // namespace qvtouch::calib
