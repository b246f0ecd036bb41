#include "tests/platform/serial/serial_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

#include "common/little_endian.h"
#include "common/request_codes.h"

namespace qvtouch::platform::testing {
namespace {

thread_local bool insideRead = false;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvtouch-serial-XXXXXX").string();
  Check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Pty::Pty() {
  int master = -1;
  int slave = -1;
  Check(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0, "openpty");
  master_.Reset(master);
  slave_.Reset(slave);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  std::array<char, 128> name{};
  Check(::ttyname_r(slave, name.data(), name.size()) == 0, "ttyname_r");
  slavePath_ = name.data();
}

void Pty::WriteMaster(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(master_.Get(), bytes.data(), bytes.size());
    if (written > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(written));
      continue;
    }
    pollfd writable{master_.Get(), POLLOUT, 0};
    Check(::poll(&writable, 1, 10'000) == 1, "the pty takes no bytes");
  }
}

std::vector<std::uint8_t> Pty::ReadMaster(std::size_t count) {
  std::vector<std::uint8_t> bytes;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
    pollfd readable{master_.Get(), POLLIN, 0};
    if (::poll(&readable, 1, 100) != 1) continue;
    std::array<std::uint8_t, 4096> chunk{};
    const ssize_t got =
        ::read(master_.Get(), chunk.data(), std::min(chunk.size(), count - bytes.size()));
    if (got > 0) bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
  }
  return bytes;
}

// A pty's master reports a hang-up while no slave is open.
bool Pty::SlaveOpen() const {
  pollfd master{master_.Get(), POLLIN, 0};
  ::poll(&master, 1, 0);
  return (master.revents & POLLHUP) == 0;
}

termios Pty::Attributes() const {
  const UniqueFd slave(::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  termios attributes{};
  Check(slave && ::tcgetattr(slave.Get(), &attributes) == 0, "tcgetattr");
  return attributes;
}

void ReplaceLink(const std::filesystem::path& link, const std::string& target) {
  std::filesystem::path fresh = link;
  fresh += ".fresh";
  std::filesystem::create_symlink(target, fresh);
  std::filesystem::rename(fresh, link);
}

void RecordingSink::ReadComplete(NtStatus status, std::uint32_t information) {
  {
    std::lock_guard guard(mutex_);
    completions_.push_back({status, information, byte_, insideRead, std::this_thread::get_id()});
  }
  changed_.notify_all();
  if (BeforeReissue) BeforeReissue();
  if (status == STATUS_CANCELLED) return;
  const NtStatus reissued = Issue();
  std::lock_guard guard(mutex_);
  if (reissued != STATUS_PENDING) ++badReissues_;
}

NtStatus RecordingSink::Issue() {
  insideRead = true;
  const NtStatus status = port_->Read({&byte_, 1});
  insideRead = false;
  return status;
}

bool RecordingSink::WaitFor(std::size_t count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kPatience, [&] { return completions_.size() >= count; });
}

std::vector<Completion> RecordingSink::Completions() const {
  std::lock_guard guard(mutex_);
  return completions_;
}

std::vector<std::uint8_t> RecordingSink::Bytes() const {
  std::vector<std::uint8_t> bytes;
  for (const Completion& completion : Completions()) {
    if (completion.Status == STATUS_SUCCESS && completion.Information == 1) {
      bytes.push_back(completion.Byte);
    }
  }
  return bytes;
}

std::size_t RecordingSink::Count(NtStatus status) const {
  std::size_t count = 0;
  for (const Completion& completion : Completions()) count += completion.Status == status ? 1 : 0;
  return count;
}

std::size_t RecordingSink::BadReissues() const {
  std::lock_guard guard(mutex_);
  return badReissues_;
}

void ConfigureAsTheDriver(driver::SerialPort& port) {
  const std::array<std::uint8_t, 3> lineControl{0, 0, 8};
  std::array<std::uint8_t, 4> baudRate{};
  StoreU32(baudRate, 0, 9600);
  const std::array<std::uint8_t, 20> timeouts{};
  port.DeviceControl(IOCTL_SERIAL_SET_LINE_CONTROL, lineControl);
  port.DeviceControl(IOCTL_SERIAL_SET_BAUD_RATE, baudRate);
  port.DeviceControl(IOCTL_SERIAL_SET_TIMEOUTS, timeouts);
}

}  // namespace qvtouch::platform::testing
