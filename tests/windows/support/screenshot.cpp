#include "tests/windows/support/screenshot.h"

#include <objidl.h>
#include <propidl.h>

#include <algorithm>
// The platform's picture library wants min and max, which NOMINMAX keeps out of its headers, and
// the COM types above.
using std::max;
using std::min;

#include <gdiplus.h>

namespace qvtouch::test {
namespace {

// The PNG encoder of GDI+.
constexpr CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

// GDI+ for the duration of one picture.
class GdiplusSession {
 public:
  GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Started() const { return started_; }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool RowShowsMoreThan(int y, int from, int to, COLORREF background) {
  HDC screen = GetDC(nullptr);
  bool found = false;
  for (int x = from; x < to && !found; ++x) found = GetPixel(screen, x, y) != background;
  ReleaseDC(nullptr, screen);
  return found;
}

bool SaveScreenArea(const RECT& area, const std::string& path) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  bool saved = false;
  {
    const GdiplusSession gdiplus;
    if (gdiplus.Started()) {
      Gdiplus::Bitmap picture(bitmap, nullptr);
      std::wstring widePath(path.begin(), path.end());
      saved = picture.Save(widePath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
  }
  DeleteObject(bitmap);
  return saved;
}

}  // namespace qvtouch::test
