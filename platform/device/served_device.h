// One device name being served: a thread that accepts connections on the name's socket, and a
// thread per connection that reads request frames, passes each to the device's dispatch routine
// and writes its reply. A request that waits inside the dispatch routine blocks only its own
// connection.
#pragma once

#include <atomic>
#include <cstddef>
#include <list>
#include <memory>
#include <thread>
#include <vector>

#include "driver/kernel.h"
#include "platform/device/device_listener.h"
#include "platform/device/frame.h"
#include "platform/posix/stop_signal.h"

namespace qvtouch::platform {

// Connections served at once per device name; a further one is closed at once.
inline constexpr std::size_t kMaxConnections = 64;

class ServedDevice {
 public:
  ServedDevice(std::unique_ptr<DeviceListener> listener, driver::DeviceDispatch& dispatch);
  // Stops and joins.
  ~ServedDevice();
  ServedDevice(const ServedDevice&) = delete;
  ServedDevice& operator=(const ServedDevice&) = delete;

  // Starts accepting; false (errno set) when the threads cannot be set up.
  bool Start();
  // Stops accepting and reading requests and removes the socket file. A request inside the
  // dispatch routine finishes and its reply is still sent; a request read but not yet dispatched
  // is answered STATUS_DELETE_PENDING. Does not wait for the dispatch routine.
  void Stop();
  // Stops, then waits for every thread: afterwards nothing reaches the dispatch routine.
  void Join();

 private:
  struct Connection {
    std::thread Thread;
    std::atomic<bool> Finished{false};
  };

  void AcceptConnections();
  void StartConnection(UniqueFd socket);
  void JoinFinishedConnections();
  void ServeConnection(int socket);
  std::vector<std::uint8_t> Answer(const RequestFrame& frame);
  // Waits a moment before accepting again after a failure; true when stopped meanwhile.
  bool BackOff();

  std::unique_ptr<DeviceListener> listener_;
  driver::DeviceDispatch& dispatch_;
  StopSignal stop_;
  std::thread acceptor_;
  // Owned by the acceptor while it runs, by Join afterwards.
  std::list<Connection> connections_;
};

}  // namespace qvtouch::platform
