// Device-control request codes: the driver's own control requests, and the platform's requests
// between the driver, the mouse class driver and the serial port driver.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qvtouch {

inline constexpr std::uint32_t FILE_DEVICE_MOUSE = 0x0000000F;
inline constexpr std::uint32_t FILE_DEVICE_SERIAL_PORT = 0x0000001B;
inline constexpr std::uint32_t METHOD_BUFFERED = 0;
inline constexpr std::uint32_t METHOD_NEITHER = 3;
inline constexpr std::uint32_t FILE_ANY_ACCESS = 0;

constexpr std::uint32_t CTL_CODE(std::uint32_t deviceType, std::uint32_t function,
                                 std::uint32_t method, std::uint32_t access) {
  return (deviceType << 16) | (access << 14) | (function << 2) | method;
}

constexpr std::uint32_t TouchRequest(std::uint32_t function) {
  return CTL_CODE(FILE_DEVICE_MOUSE, function, METHOD_BUFFERED, FILE_ANY_ACCESS);
}

// The driver's control requests (functions 0x900 to 0x9A6).
inline constexpr std::uint32_t IOCTL_TOUCH_GET_BUTTON_MODE = TouchRequest(0x900);
inline constexpr std::uint32_t IOCTL_TOUCH_GET_CAPTURE = TouchRequest(0x902);
inline constexpr std::uint32_t IOCTL_TOUCH_ARM_CAPTURE = TouchRequest(0x904);
inline constexpr std::uint32_t IOCTL_TOUCH_GET_POINTER = TouchRequest(0x908);
inline constexpr std::uint32_t IOCTL_TOUCH_UNIMPLEMENTED_910 = TouchRequest(0x910);
inline constexpr std::uint32_t IOCTL_TOUCH_UNIMPLEMENTED_920 = TouchRequest(0x920);
inline constexpr std::uint32_t IOCTL_TOUCH_GET_MOUSE_MODE = TouchRequest(0x940);
inline constexpr std::uint32_t IOCTL_TOUCH_SET_CALIBRATION = TouchRequest(0x980);
inline constexpr std::uint32_t IOCTL_TOUCH_ENABLE_POINTER = TouchRequest(0x982);
inline constexpr std::uint32_t IOCTL_TOUCH_DISABLE_POINTER = TouchRequest(0x984);
inline constexpr std::uint32_t IOCTL_TOUCH_RELOAD_SETTINGS = TouchRequest(0x988);
inline constexpr std::uint32_t IOCTL_TOUCH_SET_BUTTON_MODE = TouchRequest(0x98C);
inline constexpr std::uint32_t IOCTL_TOUCH_SET_BEEP = TouchRequest(0x990);
inline constexpr std::uint32_t IOCTL_TOUCH_GET_BEEP = TouchRequest(0x991);
inline constexpr std::uint32_t IOCTL_TOUCH_SET_MOUSE_MODE = TouchRequest(0x992);
inline constexpr std::uint32_t IOCTL_TOUCH_BEEP = TouchRequest(0x993);
inline constexpr std::uint32_t IOCTL_TOUCH_UNIMPLEMENTED_99F = TouchRequest(0x99F);
inline constexpr std::uint32_t IOCTL_TOUCH_CAPTURE_REPORT = TouchRequest(0x9A1);
inline constexpr std::uint32_t IOCTL_TOUCH_PASS_THROUGH = TouchRequest(0x9A2);
inline constexpr std::uint32_t IOCTL_TOUCH_SET_SCREEN_POST = TouchRequest(0x9A3);
inline constexpr std::uint32_t IOCTL_TOUCH_GET_SCREEN_POST = TouchRequest(0x9A4);
inline constexpr std::uint32_t IOCTL_TOUCH_SET_RBN_DELAY = TouchRequest(0x9A5);
inline constexpr std::uint32_t IOCTL_TOUCH_GET_RBN_DELAY = TouchRequest(0x9A6);

static_assert(IOCTL_TOUCH_GET_BUTTON_MODE == 0x000F2400);
static_assert(IOCTL_TOUCH_GET_CAPTURE == 0x000F2408);
static_assert(IOCTL_TOUCH_ARM_CAPTURE == 0x000F2410);
static_assert(IOCTL_TOUCH_GET_POINTER == 0x000F2420);
static_assert(IOCTL_TOUCH_UNIMPLEMENTED_910 == 0x000F2440);
static_assert(IOCTL_TOUCH_UNIMPLEMENTED_920 == 0x000F2480);
static_assert(IOCTL_TOUCH_GET_MOUSE_MODE == 0x000F2500);
static_assert(IOCTL_TOUCH_SET_CALIBRATION == 0x000F2600);
static_assert(IOCTL_TOUCH_ENABLE_POINTER == 0x000F2608);
static_assert(IOCTL_TOUCH_DISABLE_POINTER == 0x000F2610);
static_assert(IOCTL_TOUCH_RELOAD_SETTINGS == 0x000F2620);
static_assert(IOCTL_TOUCH_SET_BUTTON_MODE == 0x000F2630);
static_assert(IOCTL_TOUCH_SET_BEEP == 0x000F2640);
static_assert(IOCTL_TOUCH_GET_BEEP == 0x000F2644);
static_assert(IOCTL_TOUCH_SET_MOUSE_MODE == 0x000F2648);
static_assert(IOCTL_TOUCH_BEEP == 0x000F264C);
static_assert(IOCTL_TOUCH_UNIMPLEMENTED_99F == 0x000F267C);
static_assert(IOCTL_TOUCH_CAPTURE_REPORT == 0x000F2684);
static_assert(IOCTL_TOUCH_PASS_THROUGH == 0x000F2688);
static_assert(IOCTL_TOUCH_SET_SCREEN_POST == 0x000F268C);
static_assert(IOCTL_TOUCH_GET_SCREEN_POST == 0x000F2690);
static_assert(IOCTL_TOUCH_SET_RBN_DELAY == 0x000F2694);
static_assert(IOCTL_TOUCH_GET_RBN_DELAY == 0x000F2698);

struct NamedRequest {
  std::uint32_t Code;
  std::string_view Name;
};

// Every control request code, in ascending order, with its name.
std::span<const NamedRequest> TouchRequests();
std::optional<std::uint32_t> TouchRequestByName(std::string_view name);

// The mouse class driver's requests to a pointer port (internal device control).
inline constexpr std::uint32_t IOCTL_MOUSE_QUERY_ATTRIBUTES =
    CTL_CODE(FILE_DEVICE_MOUSE, 0, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr std::uint32_t IOCTL_INTERNAL_MOUSE_CONNECT =
    CTL_CODE(FILE_DEVICE_MOUSE, 0x0080, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr std::uint32_t IOCTL_INTERNAL_MOUSE_DISCONNECT =
    CTL_CODE(FILE_DEVICE_MOUSE, 0x0100, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr std::uint32_t IOCTL_INTERNAL_MOUSE_ENABLE =
    CTL_CODE(FILE_DEVICE_MOUSE, 0x0200, METHOD_NEITHER, FILE_ANY_ACCESS);
inline constexpr std::uint32_t IOCTL_INTERNAL_MOUSE_DISABLE =
    CTL_CODE(FILE_DEVICE_MOUSE, 0x0400, METHOD_NEITHER, FILE_ANY_ACCESS);
static_assert(IOCTL_MOUSE_QUERY_ATTRIBUTES == 0x000F0000);
static_assert(IOCTL_INTERNAL_MOUSE_CONNECT == 0x000F0203);
static_assert(IOCTL_INTERNAL_MOUSE_DISCONNECT == 0x000F0403);
static_assert(IOCTL_INTERNAL_MOUSE_ENABLE == 0x000F0803);
static_assert(IOCTL_INTERNAL_MOUSE_DISABLE == 0x000F1003);

// The serial port driver's configuration requests that the serial link sends.
inline constexpr std::uint32_t IOCTL_SERIAL_SET_BAUD_RATE =
    CTL_CODE(FILE_DEVICE_SERIAL_PORT, 1, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr std::uint32_t IOCTL_SERIAL_SET_LINE_CONTROL =
    CTL_CODE(FILE_DEVICE_SERIAL_PORT, 3, METHOD_BUFFERED, FILE_ANY_ACCESS);
inline constexpr std::uint32_t IOCTL_SERIAL_SET_TIMEOUTS =
    CTL_CODE(FILE_DEVICE_SERIAL_PORT, 7, METHOD_BUFFERED, FILE_ANY_ACCESS);
static_assert(IOCTL_SERIAL_SET_BAUD_RATE == 0x001B0004);
static_assert(IOCTL_SERIAL_SET_LINE_CONTROL == 0x001B000C);
static_assert(IOCTL_SERIAL_SET_TIMEOUTS == 0x001B001C);

}  // namespace qvtouch
