#include "device_test_support.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "platform/device/descriptor_limit.h"
#include "platform/device/device_name.h"
#include "tools/qvtouchctl/control_tool.h"

namespace qvtouch::platform::testing {

TemporaryRoot::TemporaryRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvdevice-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data());
  if (const char* previous = std::getenv("QVTOUCH_ROOT")) previous_ = previous;
  ::setenv("QVTOUCH_ROOT", path_.c_str(), 1);
}

TemporaryRoot::~TemporaryRoot() {
  if (previous_) {
    ::setenv("QVTOUCH_ROOT", previous_->c_str(), 1);
  } else {
    ::unsetenv("QVTOUCH_ROOT");
  }
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

NtStatus FakeDevice::Dispatch(driver::IoRequest& request) {
  std::unique_lock lock(mutex_);
  if (unloading_) return STATUS_DELETE_PENDING;
  seen_.push_back({request.Major, request.IoControlCode,
                   {request.Input.begin(), request.Input.end()}, request.Output.size()});
  request.Information = 0;
  switch (request.Major) {
    case driver::MajorFunction::Create:
    case driver::MajorFunction::Close:
      return STATUS_SUCCESS;
    case driver::MajorFunction::DeviceControl:
      break;
    default:
      return STATUS_NOT_IMPLEMENTED;
  }
  switch (request.IoControlCode) {
    case kEchoCode: {
      const std::size_t count = std::min(request.Input.size(), request.Output.size());
      std::reverse_copy(request.Input.begin(), request.Input.begin() + count, request.Output.begin());
      request.Information = static_cast<std::uint32_t>(count);
      return STATUS_SUCCESS;
    }
    case kStatusCode:
      return request.Input.size() < 4 ? STATUS_BUFFER_TOO_SMALL : LoadS32(request.Input, 0);
    case kHoldCode: {
      ++held_;
      ++inside_;
      changed_.notify_all();
      const auto cancelled = [this, &request] {
        return std::ranges::find(cancelled_, &request) != cancelled_.end();
      };
      changed_.wait(lock, [&] { return released_ || unloading_ || cancelled(); });
      const bool ended = unloading_ || cancelled();
      std::erase(cancelled_, &request);
      --held_;
      --inside_;
      changed_.notify_all();
      return ended ? STATUS_CANCELLED : STATUS_SUCCESS;
    }
    default:
      return STATUS_INVALID_DEVICE_REQUEST;
  }
}

std::vector<FakeDevice::Seen> FakeDevice::Requests() {
  std::lock_guard guard(mutex_);
  return seen_;
}

bool FakeDevice::WaitHeld(int count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kPatience, [this, count] { return held_ >= count; });
}

void FakeDevice::Cancel(driver::IoRequest& request) {
  std::lock_guard guard(mutex_);
  cancelled_.push_back(&request);
  changed_.notify_all();
}

bool FakeDevice::WaitNoneHeld() {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kPatience, [this] { return held_ == 0; });
}

void FakeDevice::ReleaseHeld() {
  std::lock_guard guard(mutex_);
  released_ = true;
  changed_.notify_all();
}

void FakeDevice::Unload() {
  std::unique_lock lock(mutex_);
  unloading_ = true;
  changed_.notify_all();
  changed_.wait(lock, [this] { return inside_ == 0; });
}

void ServedFakeTest::SetUp() {
  const ServeResult result = server_.Serve(kLinkName, device_);
  ASSERT_EQ(result.Status, STATUS_SUCCESS) << result.Error;
}

void ServedDriverTest::SetUp() {
  const ServeResult result = server_.Serve(driver::kControlLinkName, driver_);
  ASSERT_EQ(result.Status, STATUS_SUCCESS) << result.Error;
}

UniqueFd ConnectRaw(std::string_view deviceName) {
  UniqueFd socket = NewStreamSocket();
  const auto address = SocketAddress(DeviceSocketPath(*DeviceKey(deviceName)));
  const timeval timeout{std::chrono::duration_cast<std::chrono::seconds>(kPatience).count(), 0};
  ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  if (::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    return {};
  }
  return socket;
}

bool SendBytes(int socket, std::span<const std::uint8_t> bytes) {
  return SocketStream(socket).WriteAll(bytes);
}

std::vector<std::uint8_t> ReadToEnd(int socket) {
  std::vector<std::uint8_t> all;
  std::uint8_t chunk[512];
  for (;;) {
    const ssize_t received = ::recv(socket, chunk, sizeof(chunk), 0);
    if (received <= 0) return all;
    all.insert(all.end(), chunk, chunk + received);
  }
}

HANDLE Open(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Echo(HANDLE device, std::vector<std::uint8_t> input) {
  std::vector<std::uint8_t> output(input.size());
  DWORD returned = 0;
  if (!DeviceIoControl(device, kEchoCode, input.data(), static_cast<DWORD>(input.size()),
                       output.data(), static_cast<DWORD>(output.size()), &returned, nullptr)) {
    return false;
  }
  std::reverse(input.begin(), input.end());
  return returned == input.size() && output == input;
}

BOOL Hold(HANDLE device) {
  DWORD returned = 0;
  return DeviceIoControl(device, kHoldCode, nullptr, 0, nullptr, 0, &returned, nullptr);
}

bool AllowDescriptors(std::size_t wanted) {
  return RaiseDescriptorLimit(wanted) >= wanted;
}

CtlRun Ctl(std::vector<std::string_view> args) {
  std::ostringstream out, err;
  const int exit = ctl::RunControlTool(std::move(args), out, err);
  return {exit, out.str(), err.str()};
}

}  // namespace qvtouch::platform::testing
