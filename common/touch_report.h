// The controller's 10-byte touch report and its status byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qvtouch {

enum class TouchStatus : std::uint8_t {
  Press = 0x81,    // first report of a touch
  Hold = 0x82,     // the touch continues, moved or held still
  Release = 0x84,  // the finger has lifted; last report of the touch
};

constexpr bool IsTouchStatus(std::uint8_t byte) {
  return byte == static_cast<std::uint8_t>(TouchStatus::Press) ||
         byte == static_cast<std::uint8_t>(TouchStatus::Hold) ||
         byte == static_cast<std::uint8_t>(TouchStatus::Release);
}

inline constexpr std::size_t kReportSize = 10;
inline constexpr std::uint8_t kReportSync1 = 0x55;
inline constexpr std::uint8_t kReportSync2 = 0x54;
// The checksum is this seed plus bytes 2 to 8, modulo 256 (the same as 0xAA plus bytes 0 to 8).
inline constexpr std::uint8_t kReportChecksumSeed = 0x53;

using ReportBytes = std::array<std::uint8_t, kReportSize>;

// Byte offsets inside a report.
inline constexpr std::size_t kReportStatusOffset = 2;
inline constexpr std::size_t kReportRawXOffset = 3;
inline constexpr std::size_t kReportRawYOffset = 5;
inline constexpr std::size_t kReportChecksumOffset = 9;

// The checksum a report's last byte must equal: the seed plus bytes 2 to 8, modulo 256.
constexpr std::uint8_t ReportChecksum(const ReportBytes& report) {
  unsigned sum = kReportChecksumSeed;
  for (std::size_t i = kReportStatusOffset; i < kReportChecksumOffset; ++i) sum += report[i];
  return static_cast<std::uint8_t>(sum);
}

struct TouchReport {
  std::uint8_t Status = 0;  // a TouchStatus value on the wire; anything else is invalid
  std::uint16_t RawX = 0;
  std::uint16_t RawY = 0;
  std::array<std::uint8_t, 2> Extra{};

  constexpr ReportBytes Encode() const {
    ReportBytes bytes{kReportSync1,
                      kReportSync2,
                      Status,
                      static_cast<std::uint8_t>(RawX),
                      static_cast<std::uint8_t>(RawX >> 8),
                      static_cast<std::uint8_t>(RawY),
                      static_cast<std::uint8_t>(RawY >> 8),
                      Extra[0],
                      Extra[1],
                      0};
    bytes[kReportChecksumOffset] = ReportChecksum(bytes);
    return bytes;
  }

  constexpr std::uint8_t Checksum() const { return Encode()[kReportChecksumOffset]; }
};

static_assert(TouchReport{0x81, 0x0000, 0x0000, {}}.Checksum() == 0xD4);

}  // namespace qvtouch
