// The driver's settings under its Parameters key: the eighteen REG_DWORD values the driver reads,
// with their defaults, and the values the settings applet stores beside them. The driver loads the
// first; touch-screen operators may change both, and no other value of the key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qvtouch {

// The registry settings, in the order of the query table.
enum class Setting : std::uint8_t {
  Port,
  BeepFreq1,
  BeepTime,
  BeepFreq2,
  BeepTime2,
  ButtonMode,
  MouseMode,
  BeepMode,
  ScreenPost,
  Xc,
  XL,
  Yc,
  YL,
  Svp,
  Svs,
  Shp,
  Shs,
  RBNDelay,
};

struct SettingDefinition {
  std::string_view Name;
  std::uint32_t Default;
};

inline constexpr std::array<SettingDefinition, 18> kSettings{{
    {"Port", 1},
    {"BeepFreq1", 2000},
    {"BeepTime", 40},
    {"BeepFreq2", 2000},
    {"BeepTime2", 40},
    {"ButtonMode", 0},
    {"MouseMode", 0},
    {"BeepMode", 2},
    {"ScreenPost", 16},
    {"Xc", 0},
    {"XL", 800},
    {"Yc", 0},
    {"YL", 800},
    {"Svp", 2},
    {"Svs", 2},
    {"Shp", 2},
    {"Shs", 2},
    {"RBNDelay", 48},
}};

constexpr const SettingDefinition& Definition(Setting setting) {
  return kSettings[static_cast<std::size_t>(setting)];
}

// Values the settings applet stores under the Parameters key that no driver setting reads.
inline constexpr std::array<std::string_view, 2> kAppletOnlySettings{"BeepTime1",
                                                                     "DoubleScreenPost"};

}  // namespace qvtouch
