// Whether the applets' windows can be shown: Qt would end the program when it finds no display.
#pragma once

#include <string>

namespace qvtouch::control {

// Empty when a window can be shown, else why not, in one line.
std::string DisplayProblem();

}  // namespace qvtouch::control
