// The touch-screen operators: members of the group "qvtouch". They may use the control device and
// change the driver's settings; root may change everything; everyone else changes nothing.
#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string_view>

namespace qvtouch::platform {

inline constexpr std::string_view kOperatorGroup = "qvtouch";

// The group's id, when the group exists.
std::optional<gid_t> OperatorGroupId();

// Whether a process of these groups (its primary and supplementary ones) is an operator.
bool IsOperator(gid_t primary, std::span<const gid_t> supplementary);

// Whether this process is one, by its effective and supplementary groups.
bool IsOperatorProcess();

}  // namespace qvtouch::platform
