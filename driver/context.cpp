// The settings load: the eighteen registry values with their defaults, checks and derivations.
#include <mutex>

#include "common/orientation.h"
#include "driver/driver.h"
#include "driver/mapping.h"

namespace qvtouch::driver {

NtStatus TouchDriver::LoadSettings() {
  // Without memory for the key path nothing is loaded and no field changes.
  PagedText keyPath;
  if (!keyPath.Assign(kernel_, {context_.RegistryPath.View(), kParametersSubkey})) {
    return STATUS_UNSUCCESSFUL;
  }
  std::array<std::uint32_t, kSettings.size()> values{};
  std::array<RegistryDwordQuery, kSettings.size()> query{};
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    values[i] = kSettings[i].Default;
    query[i] = {kSettings[i].Name, &values[i]};
  }
  // The query runs outside the lock: it may wait on the store. A failing query still leaves every
  // value it did not deliver at its default.
  const NtStatus status = kernel_.QueryRegistryValues(keyPath.View(), query);

  const auto value = [&values](Setting setting) { return values[static_cast<std::size_t>(setting)]; };
  const auto signedValue = [&value](Setting setting) { return static_cast<std::int32_t>(value(setting)); };
  // A zero span means nothing and would be a divisor: it loads as the default span.
  const auto span = [&signedValue](Setting setting) {
    const std::int32_t loaded = signedValue(setting);
    return loaded != 0 ? loaded : kDefaultSpan;
  };

  // Publish the whole set at once, so that no report is handled with half-loaded settings.
  std::lock_guard guard(*lock_);
  DriverContext& c = context_;
  c.Port = value(Setting::Port);
  c.BeepFreq1 = CheckedBeepFrequency(value(Setting::BeepFreq1));
  c.BeepTime = CheckedBeepTime(value(Setting::BeepTime), kDefaultBeepTime);
  c.BeepFreq2 = CheckedBeepFrequency(value(Setting::BeepFreq2));
  c.BeepTime2 = CheckedBeepTime(value(Setting::BeepTime2), kDefaultBeepTime);
  c.ButtonMode = CheckedButtonMode(value(Setting::ButtonMode));
  c.MouseMode = value(Setting::MouseMode) <= kHighestMouseMode ? value(Setting::MouseMode)
                                                                : kMouseModeFallback;
  c.BeepMode = value(Setting::BeepMode) <= kBeepOnRelease ? value(Setting::BeepMode) : kBeepOnRelease;
  c.ScreenPost = signedValue(Setting::ScreenPost);
  c.Calibration.Xc = signedValue(Setting::Xc);
  c.Calibration.XL = span(Setting::XL);
  c.Calibration.Yc = signedValue(Setting::Yc);
  c.Calibration.YL = span(Setting::YL);
  c.Calibration.Svp = signedValue(Setting::Svp);
  c.Calibration.Svs = signedValue(Setting::Svs);
  c.Calibration.Shp = signedValue(Setting::Shp);
  c.Calibration.Shs = signedValue(Setting::Shs);
  c.RBNDelay = static_cast<std::uint8_t>(value(Setting::RBNDelay));
  c.JitterX = JitterOf(c.Calibration.XL);
  c.JitterY = JitterOf(c.Calibration.YL);
  c.Calibration.Orientation =
      OrientationOf(c.Calibration.XL, c.Calibration.YL, c.Calibration.Orientation);
  return status;
}

}  // namespace qvtouch::driver
