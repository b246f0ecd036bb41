// One device name being served.
//
// Connections wait in an epoll set while they are idle, so an idle client costs a descriptor and a
// few bytes, and no thread. Worker threads take turns waiting on the set; the worker that finds a
// request complete dispatches it and writes the reply itself, so a request costs one wake-up.
// Before it dispatches, a worker makes sure that another one waits on the set (starting one when
// none does), so a request that waits inside the dispatch routine holds up only its own caller.
// Workers beyond a few spare ones end once they are done.
//
// While a request is inside the dispatch routine, its connection stays in the set for a hang-up:
// a client that goes while its request waits (a capture, a pass-through) has the request
// cancelled (DeviceDispatch::Cancel), which frees what it waited in for others at once.
//
// A connection that cannot be taken is refused with a reply that says which limit was reached
// (see frame.h): a limit of connection_shares.h, or the process's descriptor limit. Connections
// idle for the limits' time-out are closed by a sweep that runs only while there are some.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "driver/kernel.h"
#include "platform/device/connection_shares.h"
#include "platform/device/device_listener.h"
#include "platform/device/frame.h"
#include "platform/device/request_reader.h"
#include "platform/posix/stop_signal.h"

namespace qvtouch::platform {

class ServedDevice {
 public:
  ServedDevice(std::unique_ptr<DeviceListener> listener, driver::DeviceDispatch& dispatch,
               const ConnectionLimits& limits);
  // Stops and joins.
  ~ServedDevice();
  ServedDevice(const ServedDevice&) = delete;
  ServedDevice& operator=(const ServedDevice&) = delete;

  // Starts serving; false (errno set) when the epoll set or the first worker cannot be made.
  bool Start();
  // Stops accepting and reading requests, closes the idle connections and removes the socket
  // file. A request inside the dispatch routine finishes and its reply is still sent; a request
  // read but not yet dispatched is answered STATUS_DELETE_PENDING. Does not wait for the dispatch
  // routine.
  void Stop();
  // Stops, then waits for every worker: afterwards nothing reaches the dispatch routine, and the
  // name is given up.
  void Join();

 private:
  using Clock = std::chrono::steady_clock;
  struct Connection {
    Connection(UniqueFd socket, std::uint64_t id, uid_t user)
        : Socket(std::move(socket)), Id(id), User(user), Heard(Clock::now()) {}
    UniqueFd Socket;
    std::uint64_t Id;  // its events' tag; never reused, so a late event finds no other one
    uid_t User;
    Clock::time_point Heard;  // the end of its last turn
    RequestReader Reader;
    std::vector<std::uint8_t> Unsent;  // the part of a reply that the socket could not take yet
    bool Busy = false;                 // a worker serves it; otherwise it waits in the set
    driver::IoRequest* Dispatching = nullptr;  // its request inside the dispatch routine
  };
  struct Worker {
    std::thread Thread;
    bool Finished = false;
  };
  // What a connection waits for after a worker's turn.
  enum class Next { Request, Room, Close };

  // The body of every worker. `lock` is held except while waiting and serving a connection.
  void Work(Worker& self);
  void ServeTurn(Connection& connection, std::unique_lock<std::mutex>& lock);
  Next Serve(Connection& connection);
  std::vector<std::uint8_t> Answer(Connection& connection, const RequestFrame& frame);
  // On an event of a connection that a worker serves: the client has gone during its request.
  void CancelIfGone(Connection& connection);
  Next Flush(Connection& connection);
  // With the lock held.
  bool KeepSomeoneWaiting();
  bool StartWorker();
  void JoinFinishedWorkers();

  // On a listening socket's event, with the lock held.
  void AcceptClients(std::unique_lock<std::mutex>& lock);
  void AnswerProbes(std::unique_lock<std::mutex>& lock);
  // Accepts every connection waiting on a listening socket and hands each to `take`. When the
  // process has no descriptor left, one is accepted on the reserve and given to `turnAway`
  // before it closes. False when the worker had to wait a moment and was stopped meanwhile.
  template <typename Take, typename Turn>
  bool AcceptAll(std::unique_lock<std::mutex>& lock, int listening, Take take, Turn turnAway);
  // Takes a new connection into the set, or refuses it at a limit.
  void Admit(UniqueFd socket);
  // On the sweep's event: closes the idle connections and sets the next sweep.
  void Sweep();
  void ArmSweep(Clock::time_point when);
  // Puts a descriptor (back) into the set for one event.
  bool Arm(int operation, int fd, std::uint64_t tag, std::uint32_t events);
  void Drop(Connection& connection);
  // Waits a moment without the lock; true when stopped meanwhile.
  bool BackOff(std::unique_lock<std::mutex>& lock);

  std::unique_ptr<DeviceListener> listener_;
  driver::DeviceDispatch& dispatch_;
  const std::chrono::milliseconds idleTimeout_;
  StopSignal stop_;
  UniqueFd epoll_;
  UniqueFd sweep_;  // a timerfd, armed while there are connections
  // Kept open so that a connection can still be accepted and refused when the process has no
  // descriptor left.
  UniqueFd reserve_;

  std::mutex mutex_;
  std::condition_variable noneWaiting_;
  bool stopping_ = false;
  int waiting_ = 0;  // workers waiting on the set, or on their way to it
  std::list<Worker> workers_;
  ConnectionShares shares_;
  std::uint64_t nextId_;
  bool sweepArmed_ = false;
  std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections_;
};

}  // namespace qvtouch::platform
