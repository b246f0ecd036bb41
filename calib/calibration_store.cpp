#include "calib/calibration_store.h"

#include <array>
#include <string>

#include "common/registry_paths.h"
#include "platform/registry/winreg.h"

namespace qvtouch::calib {
namespace {

struct StoredValue {
  const char* Name;
  std::int32_t CalibrationBlock::*Field;
};

// The values in the order they are written.
constexpr std::array<StoredValue, 8> kStoredValues{{
    {"Xc", &CalibrationBlock::Xc},
    {"XL", &CalibrationBlock::XL},
    {"Yc", &CalibrationBlock::Yc},
    {"YL", &CalibrationBlock::YL},
    {"Shp", &CalibrationBlock::Shp},
    {"Shs", &CalibrationBlock::Shs},
    {"Svp", &CalibrationBlock::Svp},
    {"Svs", &CalibrationBlock::Svs},
}};

}  // namespace

void StoreCalibration(const Calibration& calibration, const MessageDisplay& showMessage) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(kParametersKey).c_str(), 0, KEY_SET_VALUE,
                    &key) != ERROR_SUCCESS) {
    showMessage(kNoRightsMessage, kNoRightsCaption);
    return;
  }
  for (const StoredValue& value : kStoredValues) {
    const auto dword = static_cast<DWORD>(calibration.Block().*value.Field);
    RegSetValueExA(key, value.Name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                   sizeof dword);
  }
  RegCloseKey(key);
}

}  // namespace qvtouch::calib
