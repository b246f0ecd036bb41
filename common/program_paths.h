// Where the programs lie, as the platform names them.
#pragma once

#include <cstddef>
#include <string_view>

namespace qvtouch {

// The calibration program, under the program-files folder (kProgramFilesDirValue).
inline constexpr std::string_view kCalibrationProgramPath = R"(\QVSerTouch\qvsercalib.exe)";

// The size of the platform's path and command-line buffers (MAX_PATH), terminating zero included.
inline constexpr std::size_t kMaxPath = 260;

}  // namespace qvtouch
