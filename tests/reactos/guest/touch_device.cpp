#include "tests/reactos/guest/touch_device.h"

#include "common/little_endian.h"
#include "common/request_codes.h"

namespace qvtouch::test {

Reply Control(std::uint32_t code, std::span<const std::uint8_t> input, std::size_t outputLength) {
  Reply reply;
  HANDLE device = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    reply.Error = GetLastError();
    return reply;
  }
  std::vector<std::uint8_t> in(input.begin(), input.end());
  reply.Output.resize(outputLength);
  DWORD returned = 0;
  reply.Succeeded = DeviceIoControl(device, code, in.empty() ? nullptr : in.data(),
                                    static_cast<DWORD>(in.size()),
                                    reply.Output.empty() ? nullptr : reply.Output.data(),
                                    static_cast<DWORD>(reply.Output.size()), &returned,
                                    nullptr) == TRUE;
  if (!reply.Succeeded) reply.Error = GetLastError();
  reply.Output.resize(returned);
  CloseHandle(device);
  return reply;
}

std::optional<std::uint32_t> DriverValue(std::uint32_t request) {
  const Reply reply = Control(request, {}, 4);
  if (!reply.Succeeded || reply.Output.size() != 4) return std::nullopt;
  return LoadU32(reply.Output, 0);
}

std::optional<std::int32_t> CaptureState() {
  const Reply reply = Control(IOCTL_TOUCH_GET_CAPTURE, {}, 12);
  if (!reply.Succeeded || reply.Output.size() != 12) return std::nullopt;
  return LoadS32(reply.Output, 0);
}

}  // namespace qvtouch::test
