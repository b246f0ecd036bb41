// What the serial tests share: real ptys, a completion sink that keeps its read chain going as the
// driver does, a scratch folder and bounded waits.
#pragma once

#include <termios.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "driver/kernel.h"
#include "platform/posix/unique_fd.h"

namespace qvtouch::platform::testing {

inline constexpr auto kPatience = std::chrono::seconds(10);

// Polls the condition until it holds or the patience runs out; returns its last value.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds patience = kPatience);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A pty pair; the port under test opens the slave by its path.
class Pty {
 public:
  Pty();
  const std::string& SlavePath() const { return slavePath_; }
  int Master() const { return master_.Get(); }
  void CloseSlave() { slave_.Reset(); }
  void CloseMaster() { master_.Reset(); }  // unplugs the cable

  void WriteMaster(std::span<const std::uint8_t> bytes);
  // What the slave side wrote, once count bytes are there (fewer when they do not come).
  std::vector<std::uint8_t> ReadMaster(std::size_t count);
  // Whether anyone holds the slave open.
  bool SlaveOpen() const;
  // The tty's settings, as the port left them.
  termios Attributes() const;

 private:
  UniqueFd master_;
  UniqueFd slave_;
  std::string slavePath_;
};

// Points link at target, replacing what it named, in one step.
void ReplaceLink(const std::filesystem::path& link, const std::string& target);

struct Completion {
  NtStatus Status;
  std::uint32_t Information;
  std::uint8_t Byte;
  bool NestedInRead;  // delivered from inside a call to Read
  std::thread::id Thread;
};

// Records every completion and re-issues the read from inside it, except after a cancelled one.
class RecordingSink final : public driver::ReadCompletionSink {
 public:
  void Attach(driver::SerialPort& port) { port_ = &port; }
  NtStatus StartRead() { return Issue(); }

  void ReadComplete(NtStatus status, std::uint32_t information) override;

  // Waits until count completions have come; false when they do not.
  bool WaitFor(std::size_t count);
  std::vector<Completion> Completions() const;
  std::vector<std::uint8_t> Bytes() const;  // of the successful completions, in order
  std::size_t Count(NtStatus status) const;
  // Re-issued reads that did not answer STATUS_PENDING.
  std::size_t BadReissues() const;

  // Runs inside each completion, before the read is re-issued.
  std::function<void()> BeforeReissue;

 private:
  NtStatus Issue();

  driver::SerialPort* port_ = nullptr;
  std::uint8_t byte_ = 0;  // the read buffer, as the driver's
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Completion> completions_;
  std::size_t badReissues_ = 0;
};

// The three configuration requests of the driver: 8-N-1, 9600 baud, no time-outs.
void ConfigureAsTheDriver(driver::SerialPort& port);

}  // namespace qvtouch::platform::testing
