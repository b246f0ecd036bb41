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
      return {kComboBox, nullptr, kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST};
    case ControlKind::DropDownCombo:
      return {kComboBox, nullptr,
              kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL};
    case ControlKind::Slider:
      return {0, TRACKBAR_CLASSW, kShown | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS | TBS_BOTH};
  }
  return {kStatic, nullptr, kShown};
}

bool IsRadioButton(ControlKind kind) {
  return kind == ControlKind::AutoRadioButton;
}

void WriteControl(ResourceWriter& writer, const ControlTemplate& control, bool startsGroup) {
  const ControlClass kind = ClassOf(control.Kind);
  writer.AlignToDword();
  writer.Dword(kind.Style | (startsGroup ? WS_GROUP : 0));
  writer.Dword(0);
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
  const DWORD style = frame == DialogFrame::Popup
                          ? WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
                          : WS_CHILD | WS_CAPTION | DS_SETFONT;
  ResourceWriter writer;
  writer.Dword(style);
  writer.Dword(0);
  writer.Word(static_cast<WORD>(dialogTemplate.Controls.size()));
  writer.Short(0);
  writer.Short(0);
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
