// qvreg's operations. Each prints its results and errors and returns the exit status.
#pragma once

#include "tools/qvreg/command_line.h"

namespace qvtouch::qvreg {

int Query(const Command& command);
int Add(const Command& command);
int Delete(const Command& command);
int Export(const Command& command);
int Import(const Command& command);

}  // namespace qvtouch::qvreg
