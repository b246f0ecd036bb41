#include "platform/serial/tty_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/kernel_host/host_event.h"
#include "platform/posix/foreign_links.h"
#include "platform/serial/errno_status.h"

namespace qvtouch::platform {
namespace {

constexpr auto kReopenInterval = std::chrono::seconds(1);

// The port whose reader runs on this thread, if any.
thread_local const TtySerialPort* readerOfThisThread = nullptr;

// Opens the tty raw, with the settings given so far. Non-blocking: the reader polls, writes wait
// in poll with their limit, and the open does not wait for a carrier. A path that leads through
// another user's symbolic link is not opened: that user could point it at any terminal.
// What is opened is examined (a tty, reached without such a link), never a path before its open.
UniqueFd OpenTty(const std::string& path, const LineSettings& settings, NtStatus& status) {
  OpenedPath opened = OpenWithoutForeignLinks(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (opened.ForeignLink) {
    status = STATUS_ACCESS_DENIED;
    return {};
  }
  UniqueFd tty = std::move(opened.Fd);
  if (!tty) {
    status = StatusFromErrno(opened.Error);
    return {};
  }
  if (::isatty(tty.Get()) == 0) {
    status = StatusFromErrno(errno);
    return {};
  }
  status = ApplyLineSettings(tty.Get(), settings);
  if (!NT_SUCCESS(status)) return {};
  return tty;
}

int MillisecondsUntil(std::chrono::steady_clock::time_point when) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(when - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
}

}  // namespace

std::unique_ptr<TtySerialPort> TtySerialPort::Open(std::string path,
                                                   driver::ReadCompletionSink& sink,
                                                   NtStatus& status) {
  UniqueFd tty = OpenTty(path, {}, status);
  if (!tty) return nullptr;
  UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wake) {
    status = StatusFromErrno(errno);
    return nullptr;
  }
  try {
    std::unique_ptr<TtySerialPort> port(
        new TtySerialPort(std::move(path), std::move(tty), std::move(wake), sink));
    status = STATUS_SUCCESS;
    return port;
  } catch (const std::system_error&) {
    status = STATUS_INSUFFICIENT_RESOURCES;  // no thread for the reader
    return nullptr;
  }
}

TtySerialPort::TtySerialPort(std::string path, UniqueFd tty, UniqueFd wake,
                             driver::ReadCompletionSink& sink)
    : sink_(sink),
      wake_(std::move(wake)),
      path_(std::move(path)),
      tty_(std::move(tty)),
      reader_([this] { ServeReads(); }) {}

TtySerialPort::~TtySerialPort() {
  CancelRead();
  stopping_.store(true, std::memory_order_release);
  Wake();
  reader_.join();
}

NtStatus TtySerialPort::DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) {
  std::lock_guard guard(lineMutex_);
  LineSettings updated = settings_;
  NtStatus status = DecodeConfigurationRequest(code, input, updated);
  if (!NT_SUCCESS(status)) return status;
  if (tty_) {
    status = ApplyLineSettings(tty_.Get(), updated);
    if (!NT_SUCCESS(status)) return status;
  }
  settings_ = updated;  // also what a reopened line gets
  return STATUS_SUCCESS;
}

NtStatus TtySerialPort::Read(std::span<std::uint8_t> buffer) {
  if (buffer.empty()) return STATUS_INVALID_PARAMETER;
  const bool fromCompletion = OnReaderThread();
  ReadState state = read_.load(std::memory_order_acquire);
  ReadState started = ReadState::Pending;
  do {
    if (state == ReadState::Pending || state == ReadState::Cancelling) return STATUS_DEVICE_BUSY;
    buffer_ = buffer;  // no read owns the slot's buffer in these states
    // A cancel that came during the completion was meant for the read the completion issues.
    started = state == ReadState::CompletingCancelled && fromCompletion ? ReadState::Cancelling
                                                                        : ReadState::Pending;
  } while (!read_.compare_exchange_weak(state, started, std::memory_order_acq_rel,
                                        std::memory_order_acquire));
  // A read issued after the port was cancelled is cancelled too.
  if (readsCancelled_.load(std::memory_order_acquire)) CancelRead();
  // A read issued from a completion needs no wake-up: the reader looks at the slot next.
  if (!fromCompletion) Wake();
  return STATUS_PENDING;
}

void TtySerialPort::CancelRead() {
  readsCancelled_.store(true, std::memory_order_release);
  ReadState state = read_.load(std::memory_order_acquire);
  for (;;) {
    ReadState cancelled = state;
    if (state == ReadState::Pending) cancelled = ReadState::Cancelling;
    if (state == ReadState::Completing) cancelled = ReadState::CompletingCancelled;
    if (cancelled == state) return;  // nothing outstanding, or already cancelled
    if (read_.compare_exchange_weak(state, cancelled, std::memory_order_acq_rel,
                                    std::memory_order_acquire)) {
      break;
    }
  }
  if (state == ReadState::Pending && !OnReaderThread()) Wake();
}

NtStatus TtySerialPort::Write(std::span<const std::uint8_t> bytes, std::int64_t limit) {
  const Clock::time_point deadline = Clock::now() + RelativeDuration(limit);
  std::lock_guard guard(lineMutex_);
  if (!tty_) return STATUS_DEVICE_NOT_READY;
  while (!bytes.empty()) {
    const ssize_t written = ::write(tty_.Get(), bytes.data(), bytes.size());
    if (written > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(written));
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EINTR) return StatusFromErrno(errno);
    if (Clock::now() >= deadline) return STATUS_CANCELLED;
    pollfd writable{tty_.Get(), POLLOUT, 0};
    ::poll(&writable, 1, MillisecondsUntil(deadline));
  }
  return STATUS_SUCCESS;
}

void TtySerialPort::ServeReads() {
  readerOfThisThread = this;
  for (;;) {
    if (moveDue_.load(std::memory_order_acquire)) TakeMove();
    // Read before the slot: the destructor cancels before it sets stopping_.
    const bool stopping = stopping_.load(std::memory_order_acquire);
    const ReadState state = read_.load(std::memory_order_acquire);
    if (state == ReadState::Cancelling) {
      Complete(ReadState::Cancelling, STATUS_CANCELLED, 0);
      continue;
    }
    if (stopping) return;
    if (state == ReadState::Pending && receivedBegin_ != receivedEnd_) {
      DeliverReceived();
      continue;
    }
    if (state == ReadState::Pending && lineDropped_) {
      if (Complete(ReadState::Pending, STATUS_IO_DEVICE_ERROR, 0)) lineDropped_ = false;
      continue;
    }
    WaitForLine(state == ReadState::Pending);
  }
}

void TtySerialPort::DeliverReceived() {
  // Taken while the read is pending, when no Read may replace it.
  const std::span<std::uint8_t> buffer = buffer_;
  ReadState expected = ReadState::Pending;
  // A cancel that came first wins; the bytes stay for the next read.
  if (!read_.compare_exchange_strong(expected, ReadState::Completing, std::memory_order_acq_rel)) {
    return;
  }
  const std::size_t count = std::min(buffer.size(), receivedEnd_ - receivedBegin_);
  std::copy_n(received_.begin() + static_cast<std::ptrdiff_t>(receivedBegin_), count,
              buffer.begin());
  receivedBegin_ += count;
  sink_.ReadComplete(STATUS_SUCCESS, static_cast<std::uint32_t>(count));
  FinishCompletion();
}

bool TtySerialPort::Complete(ReadState from, NtStatus status, std::uint32_t information) {
  if (!read_.compare_exchange_strong(from, ReadState::Completing, std::memory_order_acq_rel)) {
    return false;
  }
  sink_.ReadComplete(status, information);
  FinishCompletion();
  return true;
}

// After the sink returns: the slot is free unless the completion issued the next read.
void TtySerialPort::FinishCompletion() {
  ReadState state = read_.load(std::memory_order_acquire);
  while ((state == ReadState::Completing || state == ReadState::CompletingCancelled) &&
         !read_.compare_exchange_weak(state, ReadState::Idle, std::memory_order_acq_rel,
                                      std::memory_order_acquire)) {
  }
}

// Sleeps until the tty has bytes for a waiting read, someone wakes the reader, or, while the line
// is away, the next attempt to reopen it is due.
void TtySerialPort::WaitForLine(bool readWaiting) {
  const bool lineUp = static_cast<bool>(tty_);
  std::array<pollfd, 2> watched{pollfd{wake_.Get(), POLLIN, 0},
                                pollfd{lineUp && readWaiting ? tty_.Get() : -1, POLLIN, 0}};
  const int timeout = lineUp ? -1 : MillisecondsUntil(reopenAt_);
  if (::poll(watched.data(), watched.size(), timeout) < 0) return;  // interrupted: look again
  if (watched[0].revents != 0) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t cleared = ::read(wake_.Get(), &count, sizeof count);
  }
  if (!lineUp) {
    if (Clock::now() >= reopenAt_) Reopen();
  } else if (watched[1].revents != 0) {
    Receive(watched[1].revents);
  }
}

void TtySerialPort::Receive(short events) {
  const ssize_t count = ::read(tty_.Get(), received_.data(), received_.size());
  if (count > 0) {
    receivedBegin_ = 0;
    receivedEnd_ = static_cast<std::size_t>(count);
    return;
  }
  const bool nothingYet = count < 0 && (errno == EAGAIN || errno == EINTR);
  // End of file, an error, or a hang-up that reads nothing: the line has gone.
  if (!nothingYet || (events & (POLLHUP | POLLERR | POLLNVAL)) != 0) DropLine();
}

void TtySerialPort::DropLine() {
  {
    std::lock_guard guard(lineMutex_);
    tty_.Reset();
  }
  lineDropped_ = true;
  reopenAt_ = Clock::now() + kReopenInterval;
}

void TtySerialPort::Reopen() {
  std::lock_guard guard(lineMutex_);
  NtStatus status = STATUS_SUCCESS;
  tty_ = OpenTty(path_, settings_, status);
  if (!tty_) reopenAt_ = Clock::now() + kReopenInterval;
}

void TtySerialPort::MoveTo(std::string path) {
  std::unique_lock lock(lineMutex_);
  if (path == path_) return;
  // Opened here, so that the port is on the new line once this returns.
  NtStatus status = STATUS_SUCCESS;
  UniqueFd tty = OpenTty(path, settings_, status);
  move_ = Move{std::move(path), std::move(tty)};
  moveDue_.store(true, std::memory_order_release);
  Wake();
  moved_.wait(lock, [this] { return !move_; });
}

// On the reader thread, which alone reads the line: the old one closes here.
void TtySerialPort::TakeMove() {
  std::lock_guard guard(lineMutex_);
  path_ = std::move(move_->Path);
  tty_ = std::move(move_->Tty);
  move_.reset();
  moveDue_.store(false, std::memory_order_relaxed);
  receivedBegin_ = receivedEnd_ = 0;  // the old line's
  lineDropped_ = true;                // a report half received is dropped
  reopenAt_ = Clock::now() + kReopenInterval;
  moved_.notify_all();
}

void TtySerialPort::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

bool TtySerialPort::OnReaderThread() const {
  return readerOfThisThread == this;
}

}  // namespace qvtouch::platform
