#include "platform/serial/line_settings.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "common/little_endian.h"
#include "common/request_codes.h"
#include "platform/serial/errno_status.h"

namespace qvtouch::platform {
namespace {

constexpr std::size_t kBaudRateSize = 4;
constexpr std::size_t kLineControlSize = 3;
constexpr std::size_t kTimeoutsSize = 20;  // five u32

constexpr std::uint8_t kOneStopBit = 0;
constexpr std::uint8_t kTwoStopBits = 2;
constexpr std::uint8_t kNoParity = 0;
constexpr std::uint8_t kOddParity = 1;
constexpr std::uint8_t kEvenParity = 2;

struct Speed {
  std::uint32_t Rate;
  speed_t Code;
};

constexpr std::array kSpeeds{
    Speed{50, B50},           Speed{75, B75},           Speed{110, B110},
    Speed{134, B134},         Speed{150, B150},         Speed{200, B200},
    Speed{300, B300},         Speed{600, B600},         Speed{1200, B1200},
    Speed{1800, B1800},       Speed{2400, B2400},       Speed{4800, B4800},
    Speed{9600, B9600},       Speed{19200, B19200},     Speed{38400, B38400},
    Speed{57600, B57600},     Speed{115200, B115200},   Speed{230400, B230400},
    Speed{460800, B460800},   Speed{500000, B500000},   Speed{576000, B576000},
    Speed{921600, B921600},   Speed{1000000, B1000000}, Speed{1152000, B1152000},
    Speed{1500000, B1500000}, Speed{2000000, B2000000}, Speed{2500000, B2500000},
    Speed{3000000, B3000000}, Speed{3500000, B3500000}, Speed{4000000, B4000000},
};

std::optional<speed_t> SpeedCode(std::uint32_t rate) {
  const auto* found = std::find_if(kSpeeds.begin(), kSpeeds.end(),
                                   [rate](const Speed& speed) { return speed.Rate == rate; });
  if (found == kSpeeds.end()) return std::nullopt;
  return found->Code;
}

bool Valid(const SerialLineControl& control) {
  return (control.StopBits == kOneStopBit || control.StopBits == kTwoStopBits) &&
         (control.Parity == kNoParity || control.Parity == kOddParity ||
          control.Parity == kEvenParity) &&
         control.WordLength >= 5 && control.WordLength <= 8;
}

tcflag_t CharacterFlags(const SerialLineControl& control) {
  constexpr std::array<tcflag_t, 4> kSizes{CS5, CS6, CS7, CS8};
  tcflag_t flags = kSizes[control.WordLength - 5];
  if (control.StopBits == kTwoStopBits) flags |= CSTOPB;
  if (control.Parity == kOddParity) flags |= PARENB | PARODD;
  if (control.Parity == kEvenParity) flags |= PARENB;
  return flags;
}

void MakeRaw(termios& attributes) {
  ::cfmakeraw(&attributes);
  attributes.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
  attributes.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  attributes.c_cflag |= CLOCAL | CREAD;
  attributes.c_cc[VMIN] = 1;
  attributes.c_cc[VTIME] = 0;
}

}  // namespace

NtStatus DecodeConfigurationRequest(std::uint32_t code, std::span<const std::uint8_t> input,
                                    LineSettings& settings) {
  switch (code) {
    case IOCTL_SERIAL_SET_BAUD_RATE: {
      if (input.size() < kBaudRateSize) return STATUS_BUFFER_TOO_SMALL;
      const std::uint32_t rate = LoadU32(input, 0);
      if (!SpeedCode(rate)) return STATUS_INVALID_PARAMETER;
      settings.BaudRate = rate;
      return STATUS_SUCCESS;
    }
    case IOCTL_SERIAL_SET_LINE_CONTROL: {
      if (input.size() < kLineControlSize) return STATUS_BUFFER_TOO_SMALL;
      const SerialLineControl control{input[0], input[1], input[2]};
      if (!Valid(control)) return STATUS_INVALID_PARAMETER;
      settings.LineControl = control;
      return STATUS_SUCCESS;
    }
    case IOCTL_SERIAL_SET_TIMEOUTS: {
      if (input.size() < kTimeoutsSize) return STATUS_BUFFER_TOO_SMALL;
      const bool allZero = std::all_of(input.begin(), input.begin() + kTimeoutsSize,
                                       [](std::uint8_t byte) { return byte == 0; });
      return allZero ? STATUS_SUCCESS : STATUS_NOT_SUPPORTED;
    }
    default:
      return STATUS_INVALID_DEVICE_REQUEST;
  }
}

void SetTermios(const LineSettings& settings, termios& attributes) {
  MakeRaw(attributes);
  if (settings.BaudRate) {
    const speed_t speed = *SpeedCode(*settings.BaudRate);  // decoding admitted only known rates
    ::cfsetispeed(&attributes, speed);
    ::cfsetospeed(&attributes, speed);
  }
  if (settings.LineControl) {
    attributes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD);
    attributes.c_cflag |= CharacterFlags(*settings.LineControl);
  }
}

NtStatus ApplyLineSettings(int fd, const LineSettings& settings) {
  termios attributes{};
  if (::tcgetattr(fd, &attributes) != 0) return StatusFromErrno(errno);
  SetTermios(settings, attributes);
  if (::tcsetattr(fd, TCSANOW, &attributes) != 0) return StatusFromErrno(errno);
  return STATUS_SUCCESS;
}

}  // namespace qvtouch::platform
