// Tollwen's resource numbers.
#pragma once

inline constexpr int IDD_TOLLWEN_DIALOG = 102;
