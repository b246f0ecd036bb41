// Little-endian loads and stores of the records that cross the control interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qvtouch {

constexpr std::uint32_t LoadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

constexpr std::int32_t LoadS32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(LoadU32(bytes, offset));
}

constexpr std::uint16_t LoadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

constexpr void StoreU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  bytes[offset + 2] = static_cast<std::uint8_t>(value >> 16);
  bytes[offset + 3] = static_cast<std::uint8_t>(value >> 24);
}

constexpr void StoreS32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
  StoreU32(bytes, offset, static_cast<std::uint32_t>(value));
}

constexpr void StoreU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace qvtouch
