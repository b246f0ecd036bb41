// The process's limit on open descriptors, which bounds how many clients the control device can
// hold: each connection takes one.
#pragma once

#include <cstddef>

namespace qvtouch::platform {

// The soft limit now in force.
std::size_t DescriptorLimit();

// Raises the soft limit to `wanted`, or as close to it as the hard limit allows; never lowers it.
// Returns the soft limit in force afterwards.
std::size_t RaiseDescriptorLimit(std::size_t wanted);

}  // namespace qvtouch::platform
