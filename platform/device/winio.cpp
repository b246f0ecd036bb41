#include "platform/device/winio.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <span>

#include "platform/device/opened_device.h"

using qvtouch::NtStatus;
using qvtouch::driver::MajorFunction;
using qvtouch::platform::ChannelError;
using qvtouch::platform::OpenedDevice;
using qvtouch::platform::DeviceReply;

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// Open handles. A handle is a small number, as the platform's are, so that a stale or made-up
// value is recognised instead of followed.
class HandleTable {
 public:
  HANDLE Add(std::shared_ptr<OpenedDevice> file) {
    std::lock_guard guard(mutex_);
    nextHandle_ += kHandleStep;
    files_.emplace(nextHandle_, std::move(file));
    return reinterpret_cast<HANDLE>(nextHandle_);
  }
  std::shared_ptr<OpenedDevice> Find(HANDLE handle) {
    std::lock_guard guard(mutex_);
    const auto found = files_.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == files_.end() ? nullptr : found->second;
  }
  std::shared_ptr<OpenedDevice> Remove(HANDLE handle) {
    std::lock_guard guard(mutex_);
    const auto found = files_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == files_.end()) return nullptr;
    auto file = std::move(found->second);
    files_.erase(found);
    return file;
  }

 private:
  static constexpr std::uintptr_t kHandleStep = 4;
  std::mutex mutex_;
  std::uintptr_t nextHandle_ = 0;
  std::map<std::uintptr_t, std::shared_ptr<OpenedDevice>> files_;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

BOOL Fail(DWORD error) {
  lastError = error;
  return FALSE;
}

DWORD ChannelErrorCode(ChannelError error) {
  switch (error) {
    case ChannelError::None: return ERROR_SUCCESS;
    case ChannelError::NoSuchDevice: return ERROR_FILE_NOT_FOUND;
    case ChannelError::AccessDenied: return ERROR_ACCESS_DENIED;
    case ChannelError::TooLong: return ERROR_INVALID_PARAMETER;
    case ChannelError::ConnectionLost: return ERROR_GEN_FAILURE;
  }
  return ERROR_GEN_FAILURE;
}

// An error-class status (severity 3): the platform returns no output with it.
bool NtError(NtStatus status) { return (static_cast<std::uint32_t>(status) >> 30) == 3; }

std::span<const std::uint8_t> Bytes(LPCVOID buffer, DWORD size) {
  return {static_cast<const std::uint8_t*>(buffer), buffer == nullptr ? 0 : size};
}

// One request on an open handle: copies the output out and completes the call as the platform
// does. `information` is the driver's Information, or 0 when the status is an error.
BOOL Request(HANDLE handle, MajorFunction major, DWORD code, LPCVOID input, DWORD inputSize,
             LPVOID output, DWORD outputSize, LPOVERLAPPED overlapped, DWORD& information) {
  information = 0;
  if (overlapped != nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((input == nullptr && inputSize != 0) || (output == nullptr && outputSize != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const auto file = Handles().Find(handle);
  if (!file) return Fail(ERROR_INVALID_HANDLE);
  DeviceReply reply;
  const ChannelError error = file->Call(major, code, Bytes(input, inputSize), outputSize, reply);
  if (error != ChannelError::None) return Fail(ChannelErrorCode(error));
  if (!NtError(reply.Status)) {
    // The reply holds no more than the caller's output length.
    if (output != nullptr) {
      std::copy(reply.Output.begin(), reply.Output.end(), static_cast<std::uint8_t*>(output));
    }
    information = reply.Information;
  }
  if (!qvtouch::NT_SUCCESS(reply.Status)) return Fail(RtlNtStatusToDosError(reply.Status));
  lastError = ERROR_SUCCESS;
  return TRUE;
}

// Stores a byte count where the caller asked for it, never more than its buffer held.
void StoreCount(LPDWORD count, DWORD information, DWORD bufferSize) {
  if (count != nullptr) *count = std::min(information, bufferSize);
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  if (lpFileName == nullptr) {
    lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  ChannelError error = ChannelError::None;
  DeviceReply opened;
  std::shared_ptr<OpenedDevice> file = OpenedDevice::Open(lpFileName, error, opened);
  if (!file) {
    lastError = ChannelErrorCode(error);
    return INVALID_HANDLE_VALUE;
  }
  if (!qvtouch::NT_SUCCESS(opened.Status)) {
    lastError = RtlNtStatusToDosError(opened.Status);
    return INVALID_HANDLE_VALUE;
  }
  lastError = ERROR_SUCCESS;
  return Handles().Add(std::move(file));
}

BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                     LPOVERLAPPED lpOverlapped) {
  DWORD information = 0;
  const BOOL done = Request(hDevice, MajorFunction::DeviceControl, dwIoControlCode, lpInBuffer,
                            nInBufferSize, lpOutBuffer, nOutBufferSize, lpOverlapped, information);
  StoreCount(lpBytesReturned, information, nOutBufferSize);
  return done;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
              LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  DWORD information = 0;
  const BOOL done = Request(hFile, MajorFunction::Read, 0, nullptr, 0, lpBuffer,
                            nNumberOfBytesToRead, lpOverlapped, information);
  StoreCount(lpNumberOfBytesRead, information, nNumberOfBytesToRead);
  return done;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  DWORD information = 0;
  const BOOL done = Request(hFile, MajorFunction::Write, 0, lpBuffer, nNumberOfBytesToWrite,
                            nullptr, 0, lpOverlapped, information);
  StoreCount(lpNumberOfBytesWritten, information, nNumberOfBytesToWrite);
  return done;
}

BOOL CloseHandle(HANDLE hObject) {
  const auto file = Handles().Remove(hObject);
  if (!file) return Fail(ERROR_INVALID_HANDLE);
  DeviceReply closed;
  file->Call(MajorFunction::Close, 0, {}, 0, closed);  // the platform ignores the close status
  lastError = ERROR_SUCCESS;
  return TRUE;
}

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

DWORD RtlNtStatusToDosError(NtStatus status) {
  using namespace qvtouch;
  if (NT_SUCCESS(status)) return ERROR_SUCCESS;
  switch (status) {
    case STATUS_BUFFER_TOO_SMALL: return ERROR_INSUFFICIENT_BUFFER;
    case STATUS_INVALID_DEVICE_REQUEST:
    case STATUS_NOT_IMPLEMENTED: return ERROR_INVALID_FUNCTION;
    case STATUS_INVALID_PARAMETER: return ERROR_INVALID_PARAMETER;
    case STATUS_DEVICE_BUSY: return ERROR_BUSY;
    case STATUS_CANCELLED: return ERROR_OPERATION_ABORTED;
    case STATUS_DEVICE_NOT_READY: return ERROR_NOT_READY;
    case STATUS_ACCESS_DENIED: return ERROR_ACCESS_DENIED;
    case STATUS_DELETE_PENDING: return ERROR_DELETE_PENDING;
    case STATUS_REQUEST_NOT_ACCEPTED: return ERROR_REQ_NOT_ACCEP;
    case STATUS_QUOTA_EXCEEDED: return ERROR_NOT_ENOUGH_QUOTA;
    case STATUS_TOO_MANY_OPENED_FILES: return ERROR_TOO_MANY_OPEN_FILES;
    default: return ERROR_GEN_FAILURE;
  }
}
