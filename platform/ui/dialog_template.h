// Dialogs and property pages described as data, as a resource script describes them: a title, a
// size and control rectangles in dialog units of the template's font, and the controls in
// template order.
//
//   constexpr ui::ControlTemplate kControls[] = {
//       {IDOK, ui::ControlKind::DefaultPushButton, " OK ", {89, 164, 45, 14}},
//   };
//   constexpr ui::DialogTemplate kDialog{4004, "TouchScreen Control Panel", {219, 182},
//                                        {"MS Sans Serif", 10}, kControls};
#pragma once

#include <span>
#include <string_view>

namespace qvtouch::ui {

enum class ControlKind {
  Text,         // static text, left-aligned, wrapped at word boundaries
  CentredText,  // static text, centred
  Picture,      // static showing a bitmap at its own size; the text names it: "#4007"
  HiddenFrame,  // a frame that is never shown: a place holder that code measures
  PushButton,
  DefaultPushButton,  // the button that Enter presses
  GroupBox,           // a titled frame drawn behind the controls it surrounds
  AutoRadioButton,    // the automatic radio buttons of a window form one exclusive group
  DropDownList,       // a combo box without an edit field
  DropDownCombo,      // a combo box with an edit field; typing in it selects nothing
  Slider,             // a horizontal trackbar without tick marks
};

// x, y, width and height in dialog units. For a combo box the height includes its open list.
struct DialogUnitRect {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

// What a template says of a control beyond its kind. The platform's controls show each of them;
// the Linux dialogs honour the text's vertical centring and leave the rest to their style.
struct ControlStyles {
  bool CentredVertically = false;       // its text in the middle of its height
  bool CentredHorizontally = false;     // a button's text in the middle of its width
  bool StaticEdge = false;              // a sunken edge around it
  bool Transparent = false;             // painted after the siblings beneath it
  bool VerticalScrollBar = false;       // a combo box's list has a vertical scroll bar...
  bool ScrollBarShownDisabled = false;  // ...which stays, disabled, when the list needs none
};

struct ControlTemplate {
  int Id = 0;  // IDC_STATIC (-1) for a control no code refers to
  ControlKind Kind = ControlKind::Text;
  std::string_view Text;
  DialogUnitRect Rect;
  ControlStyles Styles = {};
};

struct DialogFont {
  std::string_view Face;
  int PointSize = 0;
};

struct DialogSize {
  int Width = 0;
  int Height = 0;
};

// The font in which a property sheet lays out its pages, whatever font their templates name: the
// platform's default dialog font.
inline constexpr DialogFont kPropertySheetFont{"MS Shell Dlg", 8};

// What a dialog's template says beyond a popup with a caption bar, a system menu and a modal frame.
struct DialogStyles {
  bool Visible = false;    // shown as soon as it is created
  bool ShellFont = false;  // the platform's shell font style
  bool AppWindow = false;  // a taskbar button of its own, even without an owner
};

// Where a dialog's top-left corner lies, in dialog units from its owner's client area (from the
// screen's corner without an owner).
struct DialogPosition {
  int X = 0;
  int Y = 0;
};

struct DialogTemplate {
  int Id = 0;
  std::string_view Title;  // a dialog's caption, a property page's tab caption
  DialogSize Size;         // in dialog units
  DialogFont Font;
  std::span<const ControlTemplate> Controls;
  DialogPosition Position = {};
  DialogStyles Styles = {};
};

}  // namespace qvtouch::ui
