// The registry service's messages. A request is a list of changes, a reply the ChangeResult; each
// goes over the socket framed: a 4-byte little-endian length and that many bytes.
//
//   request:  u32 count, then per change: u8 action, u8 flags (1: absent is done, 2: key id
//             given), i64 key id (when given), u32 type, and the key path, the value name and the
//             data, each as u32 length and bytes
//   reply:    u32 status, u32 index of the refused change (0xFFFFFFFF: none)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/registry/hive_changes.h"

namespace qvtouch::platform {

// Far larger than any request an operator may make (a few dozen settings of four bytes, see
// store_rights.h), and small enough that a connection cannot make the service hold much; a larger
// message is refused unread.
inline constexpr std::size_t kMaxChangeMessage = 64 * 1024;
inline constexpr std::size_t kFrameLengthSize = 4;
inline constexpr std::size_t kResultSize = 8;

// The message with its length before it.
std::vector<std::uint8_t> Framed(std::vector<std::uint8_t> message);

std::vector<std::uint8_t> EncodeChanges(std::span<const HiveChange> changes);
// nullopt for bytes that are not exactly one well-formed request.
std::optional<std::vector<HiveChange>> DecodeChanges(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> EncodeResult(const ChangeResult& result);
std::optional<ChangeResult> DecodeResult(std::span<const std::uint8_t> bytes);

}  // namespace qvtouch::platform
