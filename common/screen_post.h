// Screen placement codes (ScreenPost): which screen, or which part of a two-monitor desktop, the
// touch screen covers.
#pragma once

#include <cstdint>

namespace qvtouch {

inline constexpr std::int32_t kScreenSingle = 16;
inline constexpr std::int32_t kScreenStretchedLeft = 17;
inline constexpr std::int32_t kScreenStretchedRight = 18;
inline constexpr std::int32_t kScreenStretchedTop = 19;
inline constexpr std::int32_t kScreenStretchedBottom = 20;
inline constexpr std::int32_t kScreenPrimary = 37;
inline constexpr std::int32_t kScreenSecondary = 38;

}  // namespace qvtouch
