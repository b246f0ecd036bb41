// control: the Control Panel host. It loads applet libraries, lists their items and opens one.
//
//   control [--list] [APPLET_PATH_OR_FOLDER] [ITEM_NAME]
//
//   APPLET_PATH_OR_FOLDER  an applet library, or a folder whose *.so files are applet libraries;
//                          default: the installed applets (DefaultAppletsFolder)
//   ITEM_NAME              the item to open, as its applet names it ("QVTouch Settings"); not
//                          needed when there is only one item
//   --list                 prints the items, one per line: NAME, DESCRIPTION and LIBRARY,
//                          separated by tabs, and opens nothing
//
// Opening an item runs it in a QApplication (the caller's, when one runs already) and returns
// when the applet does; a user who has no mouse settings yet gets the platform's defaults first
// (user_profile.h). Exit status: 0 when the items were listed or the item was opened; 1 when
// there is nothing to list or open (no applet library loads, no such item, no display); 2 for a
// usage error, or an item name missing while there are several items.
#pragma once

#include <filesystem>
#include <ostream>
#include <string_view>
#include <vector>

namespace qvtouch::control {

std::filesystem::path DefaultAppletsFolder();

int RunControl(const std::vector<std::string_view>& arguments, std::ostream& out,
               std::ostream& err);

}  // namespace qvtouch::control
