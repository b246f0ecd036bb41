#include "platform/ui/dialog.h"

#include <algorithm>

#include "platform/ui/dialog_fit.h"
#include "platform/ui/dialog_resource_win32.h"
#include "platform/ui/module.h"

namespace qvtouch::ui {
namespace {

// The room left between a control and a window that the dialog's code added above it, in dialog
// units.
constexpr LONG kSpacing = 4;

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

CRect PlaceOf(HWND dialog, HWND child) {
  RECT place{};
  GetWindowRect(child, &place);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&place), 2);
  return {place.left, place.top, place.right, place.bottom};
}

bool Shown(HWND window) {
  return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsText(ControlKind kind) {
  return kind == ControlKind::Text || kind == ControlKind::CentredText;
}

// Shrinks a static to the height of its wrapped lines, in the middle of its rectangle: its text is
// then centred vertically however many lines it has.
void CentreTextVertically(HWND dialog, HWND text) {
  char content[512] = {};
  GetWindowTextA(text, content, sizeof content);
  RECT lines{};
  GetClientRect(text, &lines);
  const LONG height = lines.bottom;
  HDC context = GetDC(text);
  const HGDIOBJ previous =
      SelectObject(context, reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)));
  DrawTextA(context, content, -1, &lines, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(context, previous);
  ReleaseDC(text, context);
  if (lines.bottom >= height) return;
  const CRect place = PlaceOf(dialog, text);
  SetWindowPos(text, nullptr, place.left, place.top + (height - lines.bottom) / 2,
               place.right - place.left, lines.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The template's controls whose text is centred vertically, now that their texts are set.
void CentreTextsVertically(HWND dialog, const DialogTemplate& dialogTemplate,
                           const std::vector<HWND>& templateControls) {
  for (std::size_t i = 0; i < templateControls.size(); ++i) {
    const ControlTemplate& control = dialogTemplate.Controls[i];
    if (IsText(control.Kind) && control.Styles.CentredVertically) {
      CentreTextVertically(dialog, templateControls[i]);
    }
  }
}

// Moves the template's controls out from under the windows that the dialog's code added (a
// property sheet), and sizes the dialog to show them all.
void FitToAddedWindows(HWND dialog, const std::vector<HWND>& templateControls) {
  std::vector<ControlPlace> places;
  for (HWND control : templateControls)
    places.push_back({PlaceOf(dialog, control), Shown(control)});
  std::vector<CRect> added;
  for (HWND child : Children(dialog)) {
    const bool fromTemplate = std::find(templateControls.begin(), templateControls.end(), child) !=
                              templateControls.end();
    if (!fromTemplate && Shown(child)) added.push_back(PlaceOf(dialog, child));
  }
  RECT spacing{0, 0, 0, kSpacing};
  MapDialogRect(dialog, &spacing);
  const LONG moved = ClearAddedWindows(places, added, spacing.bottom);
  for (std::size_t i = 0; i < templateControls.size(); ++i) {
    SetWindowPos(templateControls[i], nullptr, places[i].Rect.left, places[i].Rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  std::vector<CRect> shown;
  for (HWND child : Children(dialog)) {
    if (Shown(child)) shown.push_back(PlaceOf(dialog, child));
  }
  RECT client{};
  GetClientRect(dialog, &client);
  const ClientSize size = FittedClientSize(shown, {client.right, client.bottom + moved});
  if (size == ClientSize{client.right, client.bottom}) return;
  RECT frame{0, 0, size.Width, size.Height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CDialog::CDialog(const DialogTemplate& dialogTemplate, HWND parent)
    : template_(&dialogTemplate), parent_(parent) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  RegisterControlClasses();
  const std::vector<WORD> resource = BuildDialogResource(*template_, DialogFrame::Popup);
  const INT_PTR result =
      DialogBoxIndirectParamA(ModuleInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(resource.data()),
                              parent_, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  controls_.clear();
  m_hWnd = nullptr;
  return static_cast<int>(result);
}

void CDialog::EndDialog(int result) {
  if (HWND window = GetSafeHwnd()) ::EndDialog(window, result);
}

CWnd* CDialog::GetDlgItem(int id) const {
  HWND window = GetSafeHwnd();
  HWND control = window == nullptr ? nullptr : ::GetDlgItem(window, id);
  if (control == nullptr) return nullptr;
  std::unique_ptr<CWnd>& wrapper = controls_[id];
  if (!wrapper) wrapper = std::make_unique<CWnd>();
  wrapper->Attach(control);
  return wrapper.get();
}

void CDialog::CheckRadioButton(int first, int last, int check) {
  if (HWND window = GetSafeHwnd()) ::CheckRadioButton(window, first, last, check);
}

int CDialog::GetCheckedRadioButton(int first, int last) const {
  HWND window = GetSafeHwnd();
  if (window == nullptr) return 0;
  for (int id = first; id <= last; ++id) {
    if (IsDlgButtonChecked(window, id) == BST_CHECKED) return id;
  }
  return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    const std::vector<HWND> templateControls = Children(window);
    const BOOL focusFirst = dialog->OnInitDialog();
    CentreTextsVertically(window, dialog->Template(), templateControls);
    // A page gets its place from its sheet; a dialog makes room for what its code added.
    if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0) {
      FitToAddedWindows(window, templateControls);
    }
    return focusFirst;
  }
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      dialog->Notify(HIWORD(wParam), LOWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
      // From a slider: lParam is its window. (A dialog's own scroll bar sends none here.)
      if (lParam == 0) return FALSE;
      dialog->OnHScroll(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      return TRUE;
    case WM_NCDESTROY:
      dialog->controls_.clear();
      dialog->m_hWnd = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace qvtouch::ui
