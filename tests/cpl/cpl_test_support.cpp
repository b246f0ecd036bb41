#include "tests/cpl/cpl_test_support.h"

#include <cstdlib>
#include <cstring>

#include "common/little_endian.h"
#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "common/status.h"
#include "tests/support/store_values.h"

namespace qvtouch::cpl::testing {
namespace {

constexpr const char* kMouseKey = R"(Control Panel\Mouse)";
const std::string kParameters(kParametersKey);

}  // namespace

StoreTest::StoreTest() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvcpl-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  ::setenv("QVTOUCH_ROOT", root_.c_str(), 1);
}

StoreTest::~StoreTest() {
  ::unsetenv("QVTOUCH_ROOT");
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void SetParameter(const std::string& name, DWORD value) {
  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, kParameters, name, value);
}

void DeleteParameter(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS) {
    return;
  }
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

void DeleteParametersKey() {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kParameters.c_str());
}

void DeleteMouseKey() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kMouseKey);
}

void SetProgramFilesDir(const std::string& folder) {
  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, std::string(kCurrentVersionKey),
                                   std::string(kProgramFilesDirValue), folder);
}

std::optional<DWORD> StoredParameter(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const LSTATUS status =
      RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return std::nullopt;
  return value;
}

void SetMouseText(const std::string& name, const std::string& text) {
  qvtouch::testing::SetStoreString(HKEY_CURRENT_USER, kMouseKey, name, text);
}

void DeleteMouseValue(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMouseKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

std::optional<std::string> StoredMouseBytes(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMouseKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD size = 0;
  DWORD type = 0;
  std::optional<std::string> bytes;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    std::string data(size, '?');
    RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(data.data()),
                     &size);
    bytes = data.substr(0, size);
  }
  RegCloseKey(key);
  return bytes;
}

RecordingDevice::RecordingDevice(std::string_view linkName) {
  serving_ = server_.Serve(linkName, *this).Status == STATUS_SUCCESS;
}

RecordingDevice::~RecordingDevice() {
  server_.StopServing();
  server_.Join();
}

NtStatus RecordingDevice::Dispatch(driver::IoRequest& request) {
  request.Information = 0;
  if (request.Major != driver::MajorFunction::DeviceControl) {
    return request.Major == driver::MajorFunction::Create ||
                   request.Major == driver::MajorFunction::Close
               ? STATUS_SUCCESS
               : STATUS_NOT_IMPLEMENTED;
  }
  std::lock_guard guard(mutex_);
  seen_.push_back({request.IoControlCode, {request.Input.begin(), request.Input.end()}});
  if (request.IoControlCode == IOCTL_TOUCH_GET_BEEP) {
    if (!beep_) return STATUS_INVALID_DEVICE_REQUEST;
    if (request.Output.size() < BeepRecord::kSize) return STATUS_BUFFER_TOO_SMALL;
    const auto bytes = beep_->Encode();
    std::memcpy(request.Output.data(), bytes.data(), bytes.size());
    request.Information = BeepRecord::kSize;
  } else if (request.IoControlCode == IOCTL_TOUCH_GET_SCREEN_POST) {
    if (request.Output.size() < 4) return STATUS_BUFFER_TOO_SMALL;
    StoreU32(request.Output, 0, screenPost_);
    request.Information = 4;
  }
  return STATUS_SUCCESS;
}

std::vector<RecordingDevice::Request> RecordingDevice::Requests() {
  std::lock_guard guard(mutex_);
  return seen_;
}

std::vector<std::uint32_t> RecordingDevice::Codes() {
  std::vector<std::uint32_t> codes;
  for (const Request& request : Requests()) codes.push_back(request.Code);
  return codes;
}

void RecordingDevice::AnswerBeep(std::optional<BeepRecord> record) {
  std::lock_guard guard(mutex_);
  beep_ = record;
}

void RecordingDevice::AnswerScreenPost(std::uint32_t code) {
  std::lock_guard guard(mutex_);
  screenPost_ = code;
}

}  // namespace qvtouch::cpl::testing
