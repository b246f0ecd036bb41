// The driver host: the touch driver started on the Linux kernel stand-in, with its control device
// served on a socket, its COM port on the tty the store names (taken again at every reload), its
// pointer port connected to the mouse class stand-in, and its speaker;
// and, as the platform's kernel serves its registry, the registry service that makes the changes
// to the machine's settings that operators may make.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "driver/driver.h"
#include "platform/device/control_server.h"
#include "platform/input/mouse_class.h"
#include "platform/kernel_host/host_kernel.h"
#include "platform/registry/registry_service.h"
#include "platform/serial/com_ports.h"
#include "platform/sound/tone_sink.h"

namespace qvtouch::platform {

// Something that prevents the host from starting, in one line a person can act on.
class HostStartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DriverHost {
 public:
  // Starts the driver as the system does at boot and connects the class driver. The pointer
  // records go to the sink the store names, or to `pointer` when one is given (a measurement's
  // own). Throws HostStartError when the store cannot be read, a sink cannot be opened, the
  // control device's name is taken, or the registry service cannot listen.
  explicit DriverHost(std::unique_ptr<PointerSink> pointer = nullptr);
  // Stops, as Stop does.
  ~DriverHost();
  DriverHost(const DriverHost&) = delete;
  DriverHost& operator=(const DriverHost&) = delete;

  // Unloads the driver: no new control request is taken, waiting ones complete as cancelled, the
  // serial link stops, the tone ends and queued pointer records are delivered.
  void Stop();

  // What the host drives, for its log.
  std::string Describe() const;

 private:
  void ConnectClassDriver();

  std::unique_ptr<ToneSink> tone_;
  std::unique_ptr<MouseClass> mouseClass_;
  std::string pointerSinkName_;
  ControlDeviceServer server_;
  std::string serveError_;  // why the control device could not be served
  ComPorts ports_;          // outlives the driver, which holds its ports
  HostKernel kernel_;
  driver::TouchDriver driver_;
  std::unique_ptr<RegistryService> registry_;
  bool stopped_ = false;
};

}  // namespace qvtouch::platform
