// The ranges the applet keeps the driver's settings in: the load's checks and the pages' sliders.
#pragma once

#include "platform/base/win32_types.h"

inline constexpr DWORD kLowestBeepFrequency = 1000;  // Hz
inline constexpr DWORD kHighestBeepFrequency = 5000;
inline constexpr DWORD kDefaultBeepFrequency = 2000;
inline constexpr DWORD kShortestBeep = 32;  // ms
inline constexpr DWORD kLongestBeep = 750;
inline constexpr DWORD kDefaultBeepTime = kShortestBeep;

inline constexpr int kSmallestDoubleClickField = 20;  // pixels
inline constexpr int kLargestDoubleClickField = 200;
inline constexpr int kShortestDoubleClickTime = 200;  // ms
inline constexpr int kLongestDoubleClickTime = 2000;

// The right-button delay in touch reports: the delay list's first and last entries.
inline constexpr DWORD kLeastRightButtonDelay = 24;
inline constexpr DWORD kMostRightButtonDelay = 240;

// The COM ports the port list offers.
inline constexpr DWORD kFirstPort = 1;
inline constexpr DWORD kLastPort = 4;
