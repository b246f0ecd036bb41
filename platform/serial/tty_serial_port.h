// A serial port on a tty (a serial adapter, a pty slave, any tty), opened by path and served as
// the platform's port driver serves its client: the three configuration requests (applied with
// termios, see line_settings.h), one read at a time with a completion, writes with a time limit,
// cancellation.
//
// Reads. Read starts a read and returns STATUS_PENDING. Its completion always comes from the
// port's reader thread, never from inside Read, so a client may re-issue the read from inside the
// completion without nesting. The reader waits in poll() on the tty and on an eventfd, which Read
// (from another thread), CancelRead and the destructor signal: closing a descriptor would not wake
// it. Received bytes are kept in a small buffer and handed out one completion at a time; this path
// takes no lock and allocates nothing.
//
// Cancelling. CancelRead completes the outstanding read with STATUS_CANCELLED, and every read
// issued after it, so that a client stopping its read chain from another thread cannot miss a read
// re-issued at that moment.
//
// The line going away. When the tty goes away under the port (a USB adapter unplugged, a pty's
// master closed: poll reports a hang-up, read gives EIO or end of file), completing each
// re-issued read with an error at once would only spin. Instead the port completes the read
// outstanding then once with STATUS_IO_DEVICE_ERROR (the client drops a partly received report),
// closes the tty and tries to open the same path again once a second. Reads issued meanwhile stay
// outstanding. Once the path opens again, the configuration given so far is applied again and
// bytes are delivered to the outstanding read as before: the client sees one failed read and
// nothing else. While the line is away, writes fail with STATUS_DEVICE_NOT_READY, and
// configuration requests are kept for the reopened line.
//
// Moving. MoveTo puts the port on another tty: the new path is opened with the configuration given
// so far, the line the port had is closed, bytes received from it and not yet delivered are
// dropped, and the read outstanding completes once with STATUS_IO_DEVICE_ERROR, as when a line
// goes away. A new path that does not open is tried once a second, as a line that went away.
//
// Destroying the port cancels an outstanding read (the sink sees that completion, on the reader
// thread) and stops the reader; a read issued from inside that last completion is dropped. The
// port must not be destroyed from inside a completion.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "driver/kernel.h"
#include "platform/serial/line_settings.h"
#include "platform/posix/unique_fd.h"

namespace qvtouch::platform {

class TtySerialPort final : public driver::SerialPort {
 public:
  // Opens the tty at path for the sink: a port, or null with the reason in status
  // (STATUS_OBJECT_NAME_NOT_FOUND for a missing path, STATUS_INVALID_PARAMETER for a file that is
  // no tty, STATUS_ACCESS_DENIED, ...).
  static std::unique_ptr<TtySerialPort> Open(std::string path, driver::ReadCompletionSink& sink,
                                             NtStatus& status);

  ~TtySerialPort() override;
  TtySerialPort(const TtySerialPort&) = delete;
  TtySerialPort& operator=(const TtySerialPort&) = delete;

  NtStatus DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) override;
  // STATUS_PENDING; STATUS_INVALID_PARAMETER for an empty buffer; STATUS_DEVICE_BUSY while a read
  // is outstanding. A completion carries at most buffer.size() bytes (the driver asks for one).
  NtStatus Read(std::span<std::uint8_t> buffer) override;
  void CancelRead() override;
  // Writes every byte within the relative limit (100-ns units, negative), in the caller's thread;
  // STATUS_CANCELLED when the tty does not take them in time.
  NtStatus Write(std::span<const std::uint8_t> bytes, std::int64_t limit) override;

  // Moves the port to the tty at path, unless that is its path already (see above). Returns once
  // the port is on the new path: a write after it goes there. Not from inside a completion.
  void MoveTo(std::string path);

 private:
  // The read slot. Only Read moves it out of Idle or Completing; only the reader completes reads.
  enum class ReadState : std::uint8_t {
    Idle,                // no read outstanding
    Pending,             // a read waits for bytes
    Cancelling,          // a read waits to complete as cancelled
    Completing,          // a completion runs and has issued no read yet
    CompletingCancelled  // as Completing, and a read it issues is to be cancelled
  };
  using Clock = std::chrono::steady_clock;

  TtySerialPort(std::string path, UniqueFd tty, UniqueFd wake, driver::ReadCompletionSink& sink);

  // The reader thread.
  void ServeReads();
  void DeliverReceived();
  bool Complete(ReadState from, NtStatus status, std::uint32_t information);
  void FinishCompletion();
  void WaitForLine(bool readWaiting);
  void Receive(short events);
  void DropLine();
  void Reopen();
  void TakeMove();

  void Wake();
  bool OnReaderThread() const;

  driver::ReadCompletionSink& sink_;
  const UniqueFd wake_;  // eventfd

  // Guards path_, tty_, settings_ and move_; the reader reads tty_ without it, and only the
  // reader changes path_ and tty_.
  std::mutex lineMutex_;
  std::string path_;
  UniqueFd tty_;  // closed while the line is away
  LineSettings settings_;
  struct Move {
    std::string Path;
    UniqueFd Tty;  // opened already; invalid when the path did not open
  };
  std::optional<Move> move_;  // for the reader to take
  std::condition_variable moved_;
  std::atomic<bool> moveDue_{false};  // move_ is set: the reader looks without the lock

  std::atomic<ReadState> read_{ReadState::Idle};
  std::span<std::uint8_t> buffer_;  // the outstanding read's; published by read_
  std::atomic<bool> stopping_{false};
  std::atomic<bool> readsCancelled_{false};

  // The reader's own.
  std::array<std::uint8_t, 64> received_{};
  std::size_t receivedBegin_ = 0;
  std::size_t receivedEnd_ = 0;
  bool lineDropped_ = false;  // the next read completes with the failure
  Clock::time_point reopenAt_;

  std::thread reader_;  // last: it starts once everything above exists
};

}  // namespace qvtouch::platform
