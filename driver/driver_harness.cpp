#include "driver/driver_harness.h"

#include <cstring>

#include "common/registry_paths.h"
#include "common/request_codes.h"

namespace qvtouch::driver {

DriverHarness::DriverHarness(const Settings& settings, bool connectClass) {
  for (const auto& [name, value] : settings) StoreSetting(name, value);
  Kernel.AnyPortOpens = true;
  Driver.DriverEntry(kServiceKeyPath);
  StartTime = Kernel.Now();
  if (connectClass) ConnectClass();
}

void DriverHarness::StoreSetting(const std::string& name, std::uint32_t value) {
  static const std::string parameters =
      std::string(kServiceKeyPath) + std::string(kParametersSubkey);
  Kernel.SetValue(parameters, name, value);
}

NtStatus DriverHarness::ConnectClass(std::uint32_t inputLength) {
  const CONNECT_DATA connection{this, &DriverHarness::ClassService};
  std::array<std::uint8_t, sizeof(CONNECT_DATA)> input{};
  std::memcpy(input.data(), &connection, sizeof(connection));
  IoRequest request{MajorFunction::InternalDeviceControl, IOCTL_INTERNAL_MOUSE_CONNECT,
                    std::span(input).first(inputLength), {}, 0};
  return Driver.Dispatch(request);
}

void DriverHarness::FailRead(NtStatus status) {
  Port().Fail(status);
  while (!Port().ReadPending()) Kernel.AdvanceMilliseconds(1);  // the driver's pause
}

DriverHarness::Reply DriverHarness::Control(std::uint32_t code,
                                             std::span<const std::uint8_t> input,
                                             std::size_t outputLength) {
  Reply reply{STATUS_SUCCESS, 0, std::vector<std::uint8_t>(outputLength)};
  reply.Status = Kernel.Control(std::string(kControlLinkName), code, input, reply.Output,
                                &reply.Information);
  return reply;
}

void DriverHarness::ClassService(void* classDevice, const MOUSE_INPUT_DATA* start,
                                 const MOUSE_INPUT_DATA* end, std::uint32_t* consumed) {
  auto& harness = *static_cast<DriverHarness*>(classDevice);
  for (const MOUSE_INPUT_DATA* record = start; record != end; ++record) {
    if (harness.OnSend) {
      harness.OnSend(*record);
    } else {
      harness.Sent.push_back(*record);
    }
  }
  *consumed = static_cast<std::uint32_t>(end - start);
}

}  // namespace qvtouch::driver
