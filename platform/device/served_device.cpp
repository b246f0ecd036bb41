#include "platform/device/served_device.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include "platform/device/descriptor_limit.h"

namespace qvtouch::platform {
namespace {

constexpr int kBackOffMilliseconds = 100;
// Workers that find this many others waiting on the set end instead of waiting too.
constexpr int kSpareWorkers = 2;

// What an event stands for when it is not a connection, whose id it carries instead.
constexpr std::uint64_t kStopTag = 1;
constexpr std::uint64_t kListenerTag = 2;
constexpr std::uint64_t kProbeTag = 3;
constexpr std::uint64_t kSweepTag = 4;
constexpr std::uint64_t kFirstConnectionId = 16;

// The user at the other end of a connection; one the system does not name counts as nobody's
// but its own (a user id that no share holds).
uid_t PeerUser(int socket) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
    return static_cast<uid_t>(-1);
  }
  return credentials.uid;
}

// Whether the client has closed its end, or its connection failed.
bool PeerGone(int socket) {
  pollfd gone{socket, POLLRDHUP, 0};
  return ::poll(&gone, 1, 0) == 1 && (gone.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

UniqueFd NewReserve() {
  return UniqueFd(::eventfd(0, EFD_CLOEXEC));
}

UniqueFd AcceptNext(int listening) {
  for (;;) {
    UniqueFd socket(::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (socket.Valid() || (errno != EINTR && errno != ECONNABORTED)) return socket;
  }
}

// Answers a connection that is not taken with the limit it met; the caller then closes it.
void Refuse(int socket, NtStatus status, std::size_t limit) {
  const auto reply = EncodeReply(
      status, static_cast<std::uint32_t>(std::min<std::size_t>(limit, UINT32_MAX)), {});
  [[maybe_unused]] const ssize_t sent =
      ::send(socket, reply.data(), reply.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

}  // namespace

ServedDevice::ServedDevice(std::unique_ptr<DeviceListener> listener,
                           driver::DeviceDispatch& dispatch, const ConnectionLimits& limits)
    : listener_(std::move(listener)),
      dispatch_(dispatch),
      idleTimeout_(limits.IdleTimeout),
      shares_(limits),
      nextId_(kFirstConnectionId) {}

ServedDevice::~ServedDevice() { Join(); }

bool ServedDevice::Start() {
  epoll_ = UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
  reserve_ = NewReserve();
  sweep_ = UniqueFd(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK));
  if (!stop_.Valid() || !epoll_.Valid() || !reserve_.Valid() || !sweep_.Valid()) return false;
  // Level-triggered: once raised, it wakes every worker, one after another.
  epoll_event stop{};
  stop.events = EPOLLIN;
  stop.data.u64 = kStopTag;
  if (::epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, stop_.Fd(), &stop) != 0 ||
      !Arm(EPOLL_CTL_ADD, listener_->Fd(), kListenerTag, EPOLLIN) ||
      !Arm(EPOLL_CTL_ADD, sweep_.Get(), kSweepTag, EPOLLIN) ||
      (listener_->ProbeFd() >= 0 &&
       !Arm(EPOLL_CTL_ADD, listener_->ProbeFd(), kProbeTag, EPOLLIN))) {
    return false;
  }
  std::lock_guard guard(mutex_);
  return StartWorker();
}

void ServedDevice::Stop() {
  std::unique_lock lock(mutex_);
  if (!stopping_) {
    stopping_ = true;
    stop_.Raise();
  }
  // Once no worker waits, every connection is either in the set, where nobody will take it any
  // more, or busy with a worker, which closes it when done.
  noneWaiting_.wait(lock, [this] { return waiting_ == 0; });
  std::erase_if(connections_, [this](const auto& entry) {
    if (entry.second->Busy) return false;
    shares_.Give(entry.second->User);
    return true;
  });
  if (listener_) listener_->StopListening();
}

void ServedDevice::Join() {
  Stop();
  std::list<Worker> workers;
  {
    std::lock_guard guard(mutex_);
    workers.swap(workers_);
  }
  for (Worker& worker : workers) worker.Thread.join();
  std::lock_guard guard(mutex_);
  listener_.reset();
}

void ServedDevice::Work(Worker& self) {
  std::unique_lock lock(mutex_);
  while (!stopping_ && waiting_ < kSpareWorkers) {
    ++waiting_;
    lock.unlock();
    epoll_event event{};
    const int count = ::epoll_wait(epoll_.Get(), &event, 1, -1);
    lock.lock();
    if (--waiting_ == 0) noneWaiting_.notify_all();
    if (count != 1) continue;  // interrupted
    const std::uint64_t tag = event.data.u64;
    if (tag >= kFirstConnectionId) {
      // Dropped meanwhile (an idle one swept, say), it is gone: the event is of no use.
      const auto found = connections_.find(tag);
      if (found == connections_.end()) continue;
      Connection& connection = *found->second;
      if (connection.Busy) {
        CancelIfGone(connection);
      } else if (stopping_) {
        Drop(connection);  // Stop may have closed the listener already; this one is ours
      } else {
        ServeTurn(connection, lock);
      }
    } else if (stopping_) {
      continue;
    } else if (tag == kListenerTag) {
      AcceptClients(lock);
    } else if (tag == kProbeTag) {
      AnswerProbes(lock);
    } else if (tag == kSweepTag) {
      Sweep();
    }
  }
  self.Finished = true;
}

void ServedDevice::AcceptClients(std::unique_lock<std::mutex>& lock) {
  const auto admit = [this](UniqueFd socket) { Admit(std::move(socket)); };
  const auto refuse = [](int socket) {
    Refuse(socket, STATUS_TOO_MANY_OPENED_FILES, DescriptorLimit());
  };
  if (AcceptAll(lock, listener_->Fd(), admit, refuse)) {
    Arm(EPOLL_CTL_MOD, listener_->Fd(), kListenerTag, EPOLLIN);
  }
}

void ServedDevice::AnswerProbes(std::unique_lock<std::mutex>& lock) {
  // A server that checks who holds the name needs no answer: it has seen who listens.
  const auto close = [](auto&&) {};
  if (AcceptAll(lock, listener_->ProbeFd(), close, close)) {
    Arm(EPOLL_CTL_MOD, listener_->ProbeFd(), kProbeTag, EPOLLIN);
  }
}

void ServedDevice::ServeTurn(Connection& connection, std::unique_lock<std::mutex>& lock) {
  connection.Busy = true;
  lock.unlock();
  const Next next = Serve(connection);
  lock.lock();
  connection.Busy = false;
  connection.Heard = Clock::now();
  if (!sweepArmed_) ArmSweep(connection.Heard + idleTimeout_);
  const std::uint32_t events = next == Next::Room ? EPOLLOUT : EPOLLIN;
  if (next == Next::Close || stopping_ ||
      !Arm(EPOLL_CTL_MOD, connection.Socket.Get(), connection.Id, events)) {
    Drop(connection);
  }
}

void ServedDevice::CancelIfGone(Connection& connection) {
  // The event may be one of the connection's own turn, taken late: only a hang-up counts.
  if (connection.Dispatching != nullptr && PeerGone(connection.Socket.Get())) {
    dispatch_.Cancel(*connection.Dispatching);
  }
}

ServedDevice::Next ServedDevice::Serve(Connection& connection) {
  if (!connection.Unsent.empty()) return Flush(connection);
  RequestFrame frame;
  FrameError error = FrameError::None;
  switch (connection.Reader.Read(connection.Socket.Get(), frame, error)) {
    case RequestReader::Outcome::Waiting:
      return Next::Request;
    case RequestReader::Outcome::Ended:
      return Next::Close;
    case RequestReader::Outcome::Malformed:
      // The stream is out of step: answer once, then drop the connection.
      connection.Unsent = EncodeReply(FrameErrorStatus(error), 0, {});
      Flush(connection);
      return Next::Close;
    case RequestReader::Outcome::Complete:
      break;
  }
  connection.Unsent = Answer(connection, frame);
  return Flush(connection);
}

std::vector<std::uint8_t> ServedDevice::Answer(Connection& connection, const RequestFrame& frame) {
  if (stop_.Raised()) return EncodeReply(STATUS_DELETE_PENDING, 0, {});
  // A buffered request has one system buffer: the output is written over the input.
  std::vector<std::uint8_t> buffer(frame.OutputLength, 0);
  std::copy_n(frame.Input.begin(), std::min(frame.Input.size(), buffer.size()), buffer.begin());
  driver::IoRequest request{frame.Major, frame.IoControlCode, frame.Input, buffer, 0};
  {
    std::lock_guard guard(mutex_);
    // Without a worker waiting on the set, nobody would be served while this request waits, nor
    // would the client's going be seen.
    if (!KeepSomeoneWaiting()) return EncodeReply(STATUS_INSUFFICIENT_RESOURCES, 0, {});
    connection.Dispatching = &request;
    Arm(EPOLL_CTL_MOD, connection.Socket.Get(), connection.Id, EPOLLRDHUP);
  }
  const NtStatus status = dispatch_.Dispatch(request);
  {
    std::lock_guard guard(mutex_);
    connection.Dispatching = nullptr;  // before the request goes: no cancel can reach it now
  }
  return EncodeReply(status, request.Information, buffer);
}

ServedDevice::Next ServedDevice::Flush(Connection& connection) {
  std::vector<std::uint8_t>& unsent = connection.Unsent;
  while (!unsent.empty()) {
    const ssize_t sent =
        ::send(connection.Socket.Get(), unsent.data(), unsent.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent >= 0) {
      unsent.erase(unsent.begin(), unsent.begin() + sent);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      return Next::Room;
    } else if (errno != EINTR) {
      return Next::Close;  // a client that left meanwhile loses its reply; nobody else notices
    }
  }
  std::vector<std::uint8_t>().swap(unsent);  // an idle connection holds no buffer
  return Next::Request;
}

bool ServedDevice::KeepSomeoneWaiting() {
  return waiting_ > 0 || stopping_ || StartWorker();
}

bool ServedDevice::StartWorker() {
  JoinFinishedWorkers();
  Worker& worker = workers_.emplace_back();
  try {
    worker.Thread = std::thread([this, &worker] { Work(worker); });
  } catch (const std::system_error& error) {
    workers_.pop_back();
    errno = error.code().value();
    return false;
  }
  return true;
}

void ServedDevice::JoinFinishedWorkers() {
  // A finished worker has let go of the lock for good: joining it here cannot wait for us.
  workers_.remove_if([](Worker& worker) {
    if (!worker.Finished) return false;
    worker.Thread.join();
    return true;
  });
}

template <typename Take, typename Turn>
bool ServedDevice::AcceptAll(std::unique_lock<std::mutex>& lock, int listening, Take take,
                             Turn turnAway) {
  for (;;) {
    UniqueFd socket = AcceptNext(listening);
    if (socket.Valid()) {
      take(std::move(socket));
      continue;
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK) return true;
    if ((error == EMFILE || error == ENFILE) && reserve_.Valid()) {
      // The reserve makes room for one: it is told why it is not taken, and the reserve returns.
      reserve_.Reset();
      UniqueFd refused = AcceptNext(listening);
      const bool accepted = refused.Valid();
      if (accepted) turnAway(refused.Get());
      refused.Reset();
      reserve_ = NewReserve();
      if (accepted) continue;
    }
    // No memory, or no descriptor even for a refusal: the connection stays queued until later.
    return !BackOff(lock);
  }
}

void ServedDevice::Admit(UniqueFd socket) {
  const uid_t user = PeerUser(socket.Get());
  if (const auto refusal = shares_.Take(user)) {
    Refuse(socket.Get(), refusal->Status, refusal->Limit);
    return;
  }
  auto connection = std::make_unique<Connection>(std::move(socket), nextId_++, user);
  if (!Arm(EPOLL_CTL_ADD, connection->Socket.Get(), connection->Id, EPOLLIN)) {
    // The system watches no more descriptors for this user: as many as are served now.
    Refuse(connection->Socket.Get(), STATUS_REQUEST_NOT_ACCEPTED, connections_.size());
    shares_.Give(user);
    return;
  }
  if (!sweepArmed_) ArmSweep(connection->Heard + idleTimeout_);
  const std::uint64_t id = connection->Id;
  connections_.emplace(id, std::move(connection));
}

void ServedDevice::Sweep() {
  std::uint64_t expirations = 0;
  [[maybe_unused]] const ssize_t cleared = ::read(sweep_.Get(), &expirations, sizeof expirations);
  sweepArmed_ = false;
  const auto now = Clock::now();
  std::optional<Clock::time_point> earliest;
  std::erase_if(connections_, [&](const auto& entry) {
    const Connection& connection = *entry.second;
    // One that a worker serves is heard at the end of its turn, which sets a sweep if none is.
    if (connection.Busy) return false;
    if (now - connection.Heard >= idleTimeout_) {
      shares_.Give(connection.User);
      return true;
    }
    if (!earliest || connection.Heard < *earliest) earliest = connection.Heard;
    return false;
  });
  if (earliest) ArmSweep(*earliest + idleTimeout_);
  Arm(EPOLL_CTL_MOD, sweep_.Get(), kSweepTag, EPOLLIN);
}

void ServedDevice::ArmSweep(Clock::time_point when) {
  const auto since = when.time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
  itimerspec due{};
  due.it_value.tv_sec = seconds.count();
  due.it_value.tv_nsec =
      std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count();
  if (due.it_value.tv_sec == 0 && due.it_value.tv_nsec == 0) due.it_value.tv_nsec = 1;  // 0 disarms
  sweepArmed_ = ::timerfd_settime(sweep_.Get(), TFD_TIMER_ABSTIME, &due, nullptr) == 0;
}

bool ServedDevice::Arm(int operation, int fd, std::uint64_t tag, std::uint32_t events) {
  epoll_event event{};
  event.events = events | EPOLLONESHOT;
  event.data.u64 = tag;
  return ::epoll_ctl(epoll_.Get(), operation, fd, &event) == 0;
}

void ServedDevice::Drop(Connection& connection) {
  shares_.Give(connection.User);
  connections_.erase(connection.Id);
}

bool ServedDevice::BackOff(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  pollfd stop{stop_.Fd(), POLLIN, 0};
  ::poll(&stop, 1, kBackOffMilliseconds);
  lock.lock();
  return stopping_;
}

}  // namespace qvtouch::platform
