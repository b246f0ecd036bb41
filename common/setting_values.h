// Values of the driver settings that the driver and the settings applet share.
#pragma once

#include <cstdint>

namespace qvtouch {

// MouseMode: what a touch does with the pointer.
inline constexpr std::uint32_t kClickOnPress = 0;
inline constexpr std::uint32_t kClickOnRelease = 1;
inline constexpr std::uint32_t kDragging = 2;
inline constexpr std::uint32_t kDragAndDoubleClick = 3;

// ButtonMode: which button a touch acts with.
inline constexpr std::int32_t kLeftButton = 0;
inline constexpr std::int32_t kRightButton = 1;

// BeepMode: when a touch beeps.
inline constexpr std::uint32_t kBeepNone = 0;
inline constexpr std::uint32_t kBeepOnPress = 1;
inline constexpr std::uint32_t kBeepOnRelease = 2;

}  // namespace qvtouch
