// Where the system keeps its settings in the registry.
#pragma once

#include <string_view>

namespace qvtouch {

// The driver's service key, as the system hands it to the driver at start.
inline constexpr std::string_view kServiceKeyPath =
    R"(\Registry\Machine\System\CurrentControlSet\Services\QVTouch)";

// The driver's settings key under HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kParametersKey =
    R"(System\CurrentControlSet\Services\QVTouch\Parameters)";

}  // namespace qvtouch
