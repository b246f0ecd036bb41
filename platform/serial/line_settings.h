// The serial configuration requests a client sends to a port, and their application to a tty.
//
// A tty is always used raw (termios "raw mode": no echo, no line editing, no character
// translation), without flow control (no RTS/CTS, no XON/XOFF), with the modem status lines
// ignored and the receiver on (CLOCAL | CREAD); a read is satisfied by one byte (VMIN 1, VTIME 0).
// Nothing else of the tty is touched: not the modem control lines, not the queues.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>
#include <span>

#include "common/status.h"

namespace qvtouch::platform {

// The line control record: one byte each.
struct SerialLineControl {
  std::uint8_t StopBits = 0;    // 0 one, 2 two
  std::uint8_t Parity = 0;      // 0 none, 1 odd, 2 even
  std::uint8_t WordLength = 8;  // 5 to 8 data bits
};

// What the client has configured so far; what it has not set stays as the tty has it.
struct LineSettings {
  std::optional<std::uint32_t> BaudRate;
  std::optional<SerialLineControl> LineControl;
};

// Takes one configuration request into settings: IOCTL_SERIAL_SET_BAUD_RATE (a u32),
// IOCTL_SERIAL_SET_LINE_CONTROL (the record above) or IOCTL_SERIAL_SET_TIMEOUTS (five u32, which
// must all be zero: a read here always waits until its byte arrives). On failure settings are
// unchanged and the status says why: STATUS_BUFFER_TOO_SMALL for a short input,
// STATUS_INVALID_PARAMETER for a value a tty cannot take (a rate without a termios speed, one and a
// half stop bits, mark or space parity, a word length outside 5 to 8), STATUS_NOT_SUPPORTED for
// time-outs other than zero, STATUS_INVALID_DEVICE_REQUEST for any other code.
NtStatus DecodeConfigurationRequest(std::uint32_t code, std::span<const std::uint8_t> input,
                                    LineSettings& settings);

// Makes attributes raw, with the settings.
void SetTermios(const LineSettings& settings, termios& attributes);

// Puts the tty into raw mode with the settings; a failing termios call gives its status.
NtStatus ApplyLineSettings(int fd, const LineSettings& settings);

}  // namespace qvtouch::platform
