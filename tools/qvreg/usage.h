// qvreg's usage texts, printed for /?.
#pragma once

#include <optional>
#include <string_view>

#include "tools/qvreg/command_line.h"

namespace qvtouch::qvreg {

// The usage of one operation, or of qvreg as a whole.
std::string_view Usage(std::optional<Operation> op);

}  // namespace qvtouch::qvreg
