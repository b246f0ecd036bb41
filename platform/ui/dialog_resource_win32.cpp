#include "platform/ui/dialog_resource_win32.h"

#include <string_view>

#include "platform/ui/resources.h"

namespace qvtouch::ui {
namespace {

// The predefined window classes a template names by atom.
constexpr WORD kButton = 0x0080;
constexpr WORD kStatic = 0x0082;
constexpr WORD kComboBox = 0x0085;
// A WORD that says an ordinal (a class atom, a resource number) follows instead of a text.
constexpr WORD kOrdinal = 0xFFFF;

class ResourceWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
  // A zero-terminated UTF-16 text; the templates' texts are UTF-8.
  void Text(std::string_view text) {
    if (!text.empty()) {
      const int length =
          MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
      const std::size_t start = words_.size();
      words_.resize(start + static_cast<std::size_t>(length));
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                          reinterpret_cast<wchar_t*>(words_.data() + start), length);
    }
    Word(0);
  }
  void WideText(const wchar_t* text) {
    for (; *text != L'\0'; ++text) Word(static_cast<WORD>(*text));
    Word(0);
  }
  // Each control's item starts on a DWORD boundary.
  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

// The window class and style a control of that kind gets (without WS_GROUP).
struct ControlClass {
  WORD Atom;            // the predefined class, or 0 for a class named by Name
  const wchar_t* Name;  // the class's name when Atom is 0
  DWORD Style;
};

ControlClass ClassOf(ControlKind kind) {
  constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case ControlKind::Text:
      return {kStatic, nullptr, kShown | SS_LEFT};
    case ControlKind::CentredText:
      return {kStatic, nullptr, kShown | SS_CENTER};
    case ControlKind::Picture:
      return {kStatic, nullptr, kShown | SS_BITMAP};
    case ControlKind::HiddenFrame:
      return {kStatic, nullptr, WS_CHILD | SS_BLACKFRAME};
    case ControlKind::PushButton:
      return {kButton, nullptr, kShown | WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::DefaultPushButton:
      return {kButton, nullptr, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON};
    case ControlKind::GroupBox:
      return {kButton, nullptr, kShown | BS_GROUPBOX};
    case ControlKind::AutoRadioButton:
      return {kButton, nullptr, kShown | WS_TABSTOP | BS_AUTORADIOBUTTON};
    case ControlKind::DropDownList:
      return {kComboBox, nullptr, kShown | WS_TABSTOP | CBS_DROPDOWNLIST};
    case ControlKind::DropDownCombo:
      return {kComboBox, nullptr, kShown | WS_TABSTOP | CBS_DROPDOWN};
    case ControlKind::Slider:
      return {0, TRACKBAR_CLASSW, kShown | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS | TBS_BOTH};
  }
  return {kStatic, nullptr, kShown};
}

bool IsRadioButton(ControlKind kind) {
  return kind == ControlKind::AutoRadioButton;
}

bool IsButton(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton;
}

// The styles the template adds to those of the control's kind.
DWORD StyleOf(const ControlTemplate& control) {
  const ControlStyles& styles = control.Styles;
  DWORD style = 0;
  // A static's text is centred vertically by the dialog once it holds its text (see CDialog): the
  // static's own style for it, SS_CENTERIMAGE, shows one line only.
  if (IsButton(control.Kind)) {
    if (styles.CentredHorizontally) style |= BS_CENTER;
    if (styles.CentredVertically) style |= BS_VCENTER;
  }
  if (styles.VerticalScrollBar) style |= WS_VSCROLL;
  if (styles.ScrollBarShownDisabled) style |= CBS_DISABLENOSCROLL;
  return style;
}

DWORD ExtendedStyleOf(const ControlStyles& styles) {
  return (styles.StaticEdge ? WS_EX_STATICEDGE : 0) | (styles.Transparent ? WS_EX_TRANSPARENT : 0);
}

void WriteControl(ResourceWriter& writer, const ControlTemplate& control, bool startsGroup) {
  const ControlClass kind = ClassOf(control.Kind);
  writer.AlignToDword();
  writer.Dword(kind.Style | StyleOf(control) | (startsGroup ? WS_GROUP : 0));
  writer.Dword(ExtendedStyleOf(control.Styles));
  writer.Short(control.Rect.X);
  writer.Short(control.Rect.Y);
  writer.Short(control.Rect.Width);
  writer.Short(control.Rect.Height);
  writer.Word(static_cast<WORD>(control.Id));
  if (kind.Atom != 0) {
    writer.Word(kOrdinal);
    writer.Word(kind.Atom);
  } else {
    writer.WideText(kind.Name);
  }
  const std::optional<int> picture =
      control.Kind == ControlKind::Picture ? ResourceNumber(control.Text) : std::nullopt;
  if (picture) {
    writer.Word(kOrdinal);
    writer.Word(static_cast<WORD>(*picture));
  } else {
    writer.Text(control.Text);
  }
  writer.Word(0);  // no creation data
}

}  // namespace

void RegisterControlClasses() {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&classes);
}

std::vector<WORD> BuildDialogResource(const DialogTemplate& dialogTemplate, DialogFrame frame) {
  const DialogStyles& styles = dialogTemplate.Styles;
  const bool popup = frame == DialogFrame::Popup;
  DWORD style = popup ? WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
                      : WS_CHILD | WS_CAPTION | DS_SETFONT;
  if (popup && styles.Visible) style |= WS_VISIBLE;
  if (styles.ShellFont) style |= DS_SHELLFONT;
  ResourceWriter writer;
  writer.Dword(style);
  writer.Dword(popup && styles.AppWindow ? WS_EX_APPWINDOW : 0);
  writer.Word(static_cast<WORD>(dialogTemplate.Controls.size()));
  // A page's place is the sheet's to choose.
  writer.Short(popup ? dialogTemplate.Position.X : 0);
  writer.Short(popup ? dialogTemplate.Position.Y : 0);
  writer.Short(dialogTemplate.Size.Width);
  writer.Short(dialogTemplate.Size.Height);
  writer.Word(0);  // no menu
  writer.Word(0);  // the dialog class
  writer.Text(dialogTemplate.Title);
  const DialogFont& font = frame == DialogFrame::Popup ? dialogTemplate.Font : kPropertySheetFont;
  writer.Word(static_cast<WORD>(font.PointSize));
  writer.Text(font.Face);

  // Every control but an automatic radio button starts a group, as a resource script's statics
  // and buttons do; a run of radio buttons forms one group, so that choosing one clears the rest.
  bool previousIsRadio = false;
  for (const ControlTemplate& control : dialogTemplate.Controls) {
    const bool radio = IsRadioButton(control.Kind);
    WriteControl(writer, control, !radio || !previousIsRadio);
    previousIsRadio = radio;
  }
  return writer.Take();
}

}  // namespace qvtouch::ui
