// LoadPanelSettings and SavePanelSettings: the settings record against the driver's settings key
// under HKEY_LOCAL_MACHINE and the user's double-click settings under HKEY_CURRENT_USER.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/registry_paths.h"
#include "common/setting_values.h"
#include "cpl/quvo_panel.h"
#include "cpl/setting_limits.h"
#include "platform/registry/winreg.h"
#include "platform/ui/message_box.h"

namespace {

struct DwordValue {
  LPCSTR Name;
  DWORD CQuvoPanel::*Member;
};

constexpr std::array kReadOrder{
    DwordValue{"BeepMode", &CQuvoPanel::BeepMode},
    DwordValue{"BeepFreq1", &CQuvoPanel::BeepFreq1},
    DwordValue{"BeepTime1", &CQuvoPanel::BeepTime1},
    DwordValue{"Port", &CQuvoPanel::Port},
    DwordValue{"MouseMode", &CQuvoPanel::MouseMode},
    DwordValue{"DoubleScreenPost", &CQuvoPanel::DoubleScreenPost},
    DwordValue{"RBNDelay", &CQuvoPanel::RBNDelay},
};

constexpr std::array kWriteOrder{
    DwordValue{"BeepMode", &CQuvoPanel::BeepMode},
    DwordValue{"BeepFreq1", &CQuvoPanel::BeepFreq1},
    DwordValue{"BeepTime1", &CQuvoPanel::BeepTime1},
    DwordValue{"BeepFreq2", &CQuvoPanel::BeepFreq2},
    DwordValue{"BeepTime2", &CQuvoPanel::BeepTime2},
    DwordValue{"Port", &CQuvoPanel::Port},
    DwordValue{"MouseMode", &CQuvoPanel::MouseMode},
    DwordValue{"DoubleScreenPost", &CQuvoPanel::DoubleScreenPost},
    DwordValue{"RBNDelay", &CQuvoPanel::RBNDelay},
};

// What the record holds when the driver's settings key cannot be read.
constexpr DWORD kFallbackPort = kFirstPort;
// What the double-click settings are when the user's mouse key cannot be opened.
constexpr int kFallbackDoubleClickHeight = 40;
constexpr int kFallbackDoubleClickSpeed = 900;

void ErrorBox(LPCSTR text) {
  MessageBoxA(nullptr, text, "Error", MB_ICONERROR);
}

// Reads a text value into a buffer whose last byte stays zero. The result is not examined, so an
// absent value leaves the previous text; a text too long for the buffer counts as absent too,
// whatever the query did to the buffer.
template <std::size_t N>
void QueryText(HKEY key, LPCSTR name, std::array<char, N>& text) {
  const std::array<char, N> previous = text;
  DWORD size = N - 1;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(text.data()), &size) ==
      ERROR_MORE_DATA) {
    text = previous;
  }
}

// Writes the decimal text of value with its terminating zero.
void SetNumberText(HKEY key, LPCSTR name, int value) {
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "%d", value);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                 static_cast<DWORD>(std::strlen(text.data()) + 1));
}

}  // namespace

void CQuvoPanel::LoadPanelSettings() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, qvtouch::kParametersKey.data(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    BeepMode = qvtouch::kBeepOnRelease;
    BeepFreq1 = kDefaultBeepFrequency;
    BeepTime1 = kDefaultBeepTime;
    MouseMode = qvtouch::kDragAndDoubleClick;
    Port = kFallbackPort;
    ErrorBox("Read registry failed");
  } else {
    for (const DwordValue& value : kReadOrder) {
      DWORD size = sizeof(DWORD);
      RegQueryValueExA(key, value.Name, nullptr, nullptr,
                       reinterpret_cast<LPBYTE>(&(this->*value.Member)), &size);
    }
    if (BeepMode > qvtouch::kBeepOnRelease) BeepMode = qvtouch::kBeepOnRelease;
    if (BeepFreq1 < kLowestBeepFrequency || BeepFreq1 > kHighestBeepFrequency) {
      BeepFreq1 = kDefaultBeepFrequency;
    }
    if (BeepTime1 < kShortestBeep || BeepTime1 > kLongestBeep) BeepTime1 = kDefaultBeepTime;
    if (MouseMode > qvtouch::kDragAndDoubleClick) MouseMode = qvtouch::kDragAndDoubleClick;
    RegCloseKey(key);
  }
  LoadMouseSettings();
}

void CQuvoPanel::LoadMouseSettings() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, qvtouch::kUserMouseKey.data(), 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    ErrorBox("Open registry HKEY_CURRENT_USER failed");
    DoubleClickHeight = kFallbackDoubleClickHeight;
    DoubleClickSpeed = kFallbackDoubleClickSpeed;
    return;
  }
  QueryText(key, "DoubleClickSpeed", speedText_);
  DoubleClickSpeed = std::atoi(speedText_.data());
  QueryText(key, "DoubleClickHeight", heightText_);
  DoubleClickHeight = std::atoi(heightText_.data());
  RegCloseKey(key);
}

void CQuvoPanel::SavePanelSettings() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, qvtouch::kParametersKey.data(), 0, KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS) {
    ErrorBox("Write registry failed");
  } else {
    for (const DwordValue& value : kWriteOrder) {
      // A port outside the list means no port was chosen: the stored one stays as it is, so an
      // absent value keeps the driver's default and a port the list cannot show survives.
      if (value.Member == &CQuvoPanel::Port && (Port < kFirstPort || Port > kLastPort)) continue;
      RegSetValueExA(key, value.Name, 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&(this->*value.Member)), sizeof(DWORD));
    }
    RegCloseKey(key);
  }

  HKEY mouse = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, qvtouch::kUserMouseKey.data(), 0, KEY_ALL_ACCESS, &mouse) !=
      ERROR_SUCCESS) {
    ErrorBox("Open registry HKEY_CURRENT_USER failed");
    return;
  }
  SetNumberText(mouse, "DoubleClickHeight", DoubleClickHeight);
  SetNumberText(mouse, "DoubleClickWidth", DoubleClickHeight);
  SetNumberText(mouse, "DoubleClickSpeed", DoubleClickSpeed);
  RegCloseKey(mouse);
}
