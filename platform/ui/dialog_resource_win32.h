// A dialog template as the platform's dialog manager takes it: the in-memory DLGTEMPLATE that a
// resource compiler would have written for the template's description, each control with the
// window class and styles of its kind.
#pragma once

#include <vector>

#include "platform/ui/dialog_template.h"
#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

enum class DialogFrame {
  Popup,         // a dialog: caption bar, system menu and modal frame
  PropertyPage,  // a page of a property sheet: a child window whose caption names its tab, laid
                 // out in the sheet's font (kPropertySheetFont), as every page of a sheet is
};

// The template, WORD-aligned as DialogBoxIndirectParamA and PROPSHEETPAGEA expect it. A picture
// whose text is "#n" names bitmap resource n of the dialog's module.
std::vector<WORD> BuildDialogResource(const DialogTemplate& dialogTemplate, DialogFrame frame);

// Registers the window classes that templates name and the platform does not register by itself
// (comctl32's trackbar and tabs). Before a dialog or sheet is created from a template; more calls
// do no harm.
void RegisterControlClasses();

}  // namespace qvtouch::ui
