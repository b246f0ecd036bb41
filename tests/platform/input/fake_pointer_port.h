// A pointer port that answers the class's internal requests as the driver does, logs them, and
// sends records through the connected service callback.
#pragma once

#include <cstring>
#include <vector>

#include "common/little_endian.h"
#include "common/mouse_input.h"
#include "common/request_codes.h"
#include "driver/kernel.h"

namespace qvtouch::platform::testing {

class FakePointerPort final : public driver::DeviceDispatch {
 public:
  struct Request {
    driver::MajorFunction Major;
    std::uint32_t Code;
    std::size_t InputLength;
    std::size_t OutputLength;
    bool operator==(const Request&) const = default;
  };
  std::vector<Request> Requests;
  CONNECT_DATA Connection;
  NtStatus QueryStatus = STATUS_SUCCESS;  // what the attributes query answers

  NtStatus Dispatch(driver::IoRequest& request) override {
    Requests.push_back(
        {request.Major, request.IoControlCode, request.Input.size(), request.Output.size()});
    if (request.Major != driver::MajorFunction::InternalDeviceControl) {
      return STATUS_INVALID_DEVICE_REQUEST;
    }
    switch (request.IoControlCode) {
      case IOCTL_MOUSE_QUERY_ATTRIBUTES:
        if (!NT_SUCCESS(QueryStatus)) return QueryStatus;
        if (request.Output.size() < kMouseAttributesSize) return STATUS_BUFFER_TOO_SMALL;
        StoreU16(request.Output, kAttributesIdentifierOffset, MOUSE_SERIAL_HARDWARE);
        StoreU16(request.Output, kAttributesButtonsOffset, 2);
        StoreU32(request.Output, kAttributesQueueLengthOffset, 12);
        request.Information = kMouseAttributesSize;
        return STATUS_SUCCESS;
      case IOCTL_INTERNAL_MOUSE_CONNECT:
        if (Connection.ClassService != nullptr) return STATUS_SHARING_VIOLATION;
        if (request.Input.size() < sizeof(CONNECT_DATA)) return STATUS_INVALID_PARAMETER;
        std::memcpy(&Connection, request.Input.data(), sizeof(CONNECT_DATA));
        return STATUS_SUCCESS;
      default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
  }

  // Sends one record, as the driver's SendInput does; returns the consumed count.
  std::uint32_t Send(const MOUSE_INPUT_DATA& record) {
    std::uint32_t consumed = 0;
    Connection.ClassService(Connection.ClassDeviceObject, &record, &record + 1, &consumed);
    return consumed;
  }
};

}  // namespace qvtouch::platform::testing
