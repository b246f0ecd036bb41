// Fake device nodes that log every call made on them, in order, so that tests can check the
// ioctl and write sequences of the uinput sink and the speaker paths.
#pragma once

#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/input/device_file.h"

namespace qvtouch::platform::testing {

struct DeviceCall {
  enum class Kind { Ioctl, IoctlStruct, Write, Close };
  Kind Type = Kind::Ioctl;
  std::string Path;
  unsigned long Request = 0;
  unsigned long Value = 0;
  std::vector<std::byte> Bytes;  // the structure handed in, or the bytes written
  bool operator==(const DeviceCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const DeviceCall& call) {
  static constexpr const char* kKinds[] = {"ioctl", "ioctl-struct", "write", "close"};
  return out << "{" << kKinds[static_cast<int>(call.Type)] << " " << call.Path << " request 0x"
             << std::hex << call.Request << std::dec << " value " << call.Value << ", "
             << call.Bytes.size() << " bytes}";
}

inline DeviceCall Ioctl(const std::string& path, unsigned long request, unsigned long value) {
  return {DeviceCall::Kind::Ioctl, path, request, value, {}};
}
inline DeviceCall Close(const std::string& path) {
  return {DeviceCall::Kind::Close, path, 0, 0, {}};
}

template <typename T>
std::vector<std::byte> BytesOf(const T& value) {
  const auto* first = reinterpret_cast<const std::byte*>(&value);
  return {first, first + sizeof(T)};
}

class RecordingDevices final : public DeviceOpener {
 public:
  // A node that opens: what its reading requests fill in, and the requests that fail.
  struct Node {
    std::map<unsigned long, std::vector<std::byte>> Answers;
    std::set<unsigned long> Failing;
  };
  std::map<std::string, Node> Nodes;  // a path that is not here does not open (ENOENT)
  std::vector<DeviceCall> Calls;

  std::unique_ptr<DeviceFile> OpenForWriting(const std::string& path) override {
    if (!Nodes.contains(path)) {
      errno = ENOENT;
      return nullptr;
    }
    return std::make_unique<File>(*this, path);
  }

  // The calls made on one node.
  std::vector<DeviceCall> CallsOn(const std::string& path) const {
    std::vector<DeviceCall> calls;
    for (const DeviceCall& call : Calls) {
      if (call.Path == path) calls.push_back(call);
    }
    return calls;
  }

 private:
  class File final : public DeviceFile {
   public:
    File(RecordingDevices& devices, std::string path) : devices_(devices), path_(std::move(path)) {}
    ~File() override { devices_.Calls.push_back(Close(path_)); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Ioctl(unsigned long request, unsigned long value) override {
      devices_.Calls.push_back({DeviceCall::Kind::Ioctl, path_, request, value, {}});
      return Succeeds(request);
    }
    bool IoctlStruct(unsigned long request, void* data) override {
      auto* bytes = static_cast<std::byte*>(data);
      const std::size_t size = _IOC_SIZE(request);
      DeviceCall call{DeviceCall::Kind::IoctlStruct, path_, request, 0, {}};
      if ((_IOC_DIR(request) & _IOC_WRITE) != 0) call.Bytes.assign(bytes, bytes + size);
      devices_.Calls.push_back(call);
      if (!Succeeds(request)) return false;
      if ((_IOC_DIR(request) & _IOC_READ) != 0) {
        const auto& answers = devices_.Nodes.at(path_).Answers;
        const auto answer = answers.find(request);
        if (answer == answers.end()) {
          errno = ENOTTY;
          return false;
        }
        std::memcpy(bytes, answer->second.data(), std::min(size, answer->second.size()));
      }
      return true;
    }
    bool Write(std::span<const std::byte> bytes) override {
      devices_.Calls.push_back(
          {DeviceCall::Kind::Write, path_, 0, 0, {bytes.begin(), bytes.end()}});
      return true;
    }

   private:
    bool Succeeds(unsigned long request) {
      if (!devices_.Nodes.at(path_).Failing.contains(request)) return true;
      errno = EINVAL;
      return false;
    }

    RecordingDevices& devices_;
    std::string path_;
  };
};

}  // namespace qvtouch::platform::testing
