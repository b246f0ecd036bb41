#include "platform/kernel_host/driver_host.h"

#include "common/registry_paths.h"
#include "platform/input/pointer_sinks.h"
#include "platform/input/sink_choice.h"
#include "platform/kernel_host/machine_settings.h"
#include "platform/serial/com_ports.h"
#include "platform/sound/tone_sinks.h"

namespace qvtouch::platform {
namespace {

std::string HostValue(std::string_view valueName) {
  return ReadMachineString(kHostSettingsKey, valueName).value_or("");
}

std::string StartFailure(NtStatus status, const std::string& serveError) {
  if (!serveError.empty()) return serveError;
  switch (status) {
    case STATUS_REGISTRY_CORRUPT:
      return "the settings store is damaged; it has been left as it is";
    case STATUS_REGISTRY_IO_FAILED:
      return "the settings store cannot be read";
    default:
      return "the driver did not start: " + std::string(StatusName(status));
  }
}

}  // namespace

DriverHost::DriverHost(std::unique_ptr<PointerSink> pointer)
    : ports_(
          [](std::string_view valueName) { return ReadMachineString(kPortPathsKey, valueName); }),
      kernel_(HostServices{
          // The driver reads its settings at start and at every reload: the ports' ttys with them.
          .QueryValues =
              [this](std::string_view keyPath,
                     std::span<const driver::RegistryDwordQuery> entries) {
                const NtStatus status = QueryMachineDwords(keyPath, entries);
                ports_.TakeNewPaths();
                return status;
              },
          .OpenSerialPort =
              [this](std::string_view portName, driver::ReadCompletionSink& completion,
                     NtStatus& status) { return ports_.Open(portName, completion, status); },
          .PublishLink =
              [this](std::string_view link, driver::DeviceDispatch& device) {
                const ServeResult result = server_.Serve(link, device);
                serveError_ = result.Error;
                return result.Status;
              },
          .WithdrawLink = [this](std::string_view link) { server_.Withdraw(link); },
          .MakeBeep = [this](std::uint32_t frequency) { tone_->Sound(frequency); },
      }),
      driver_(kernel_) {
  try {
    tone_ = MakeToneSink(HostValue(kToneSinkValue));
    if (!pointer) {
      OpenedPointerSink named = MakePointerSink(HostValue(kPointerSinkValue));
      pointerSinkName_ = named.Description;
      pointer = std::move(named.Sink);
    } else {
      pointerSinkName_ = "given";
    }
    mouseClass_ = std::make_unique<MouseClass>(std::move(pointer));
  } catch (const std::exception& error) {  // a sink that cannot be opened, or no resources
    throw HostStartError(error.what());
  }
  const NtStatus status = driver_.DriverEntry(kServiceKeyPath);
  if (!NT_SUCCESS(status)) throw HostStartError(StartFailure(status, serveError_));
  ConnectClassDriver();
  // Only now: the control device's name is this host's, so no other host serves the registry.
  std::string registryError;
  registry_ = RegistryService::Start(registryError);
  if (!registry_) throw HostStartError(registryError);
}

DriverHost::~DriverHost() { Stop(); }

// The class driver finds the pointer port in the device map, as it does at boot.
void DriverHost::ConnectClassDriver() {
  for (const auto& [deviceName, servicePath] : kernel_.DeviceMapKey(driver::kDeviceMapKey)) {
    if (driver::DeviceDispatch* port = kernel_.FindDevice(deviceName)) {
      mouseClass_->Connect(*port);
      return;
    }
  }
}

void DriverHost::Stop() {
  if (stopped_) return;
  stopped_ = true;
  registry_.reset();
  server_.StopServing();
  driver_.Unload();
  server_.Join();
  if (mouseClass_) mouseClass_->Stop();
}

std::string DriverHost::Describe() const {
  return "pointer: " + pointerSinkName_ + "; tone: " + (tone_ ? tone_->Describe() : "none");
}

}  // namespace qvtouch::platform
