// Programs that the test process started through the code under test, which does not wait for
// them (the applet's calibration button): found among the process's children by name, waited for
// and, when they do not end, ended by their process id.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

namespace qvtouch::cpl::testing {

// The process ids of this process's children whose command name is `name`.
std::vector<pid_t> ChildrenNamed(std::string_view name);

// The child's exit status once it has ended; nullopt when it was no child to wait for, or when it
// ran on past the patience, in which case it is killed and reaped.
std::optional<int> Reap(pid_t child, std::chrono::milliseconds patience = std::chrono::seconds(10));

}  // namespace qvtouch::cpl::testing
