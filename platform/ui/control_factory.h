// Builds one control of a template as the Qt widget that stands for it.
#pragma once

#include <QWidget>

#include "platform/ui/dialog_template.h"
#include "platform/ui/dialog_units.h"

namespace qvtouch::ui {

// The control as a child of parent, placed by its rectangle in the parent's base units and named
// by its id (its decimal text; IDC_STATIC controls have no name).
QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, BaseUnits units);

}  // namespace qvtouch::ui
