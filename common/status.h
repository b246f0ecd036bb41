// Platform status codes: every status the driver returns and the programs examine.
#pragma once

#include <cstdint>
#include <string_view>

namespace qvtouch {

using NtStatus = std::int32_t;

// Success and informational codes are non-negative; warnings and errors are negative.
constexpr NtStatus MakeStatus(std::uint32_t value) { return static_cast<NtStatus>(value); }

inline constexpr NtStatus STATUS_SUCCESS = MakeStatus(0x00000000);
inline constexpr NtStatus STATUS_TIMEOUT = MakeStatus(0x00000102);
inline constexpr NtStatus STATUS_PENDING = MakeStatus(0x00000103);
inline constexpr NtStatus STATUS_DEVICE_BUSY = MakeStatus(0x80000011);
inline constexpr NtStatus STATUS_UNSUCCESSFUL = MakeStatus(0xC0000001);
inline constexpr NtStatus STATUS_NOT_IMPLEMENTED = MakeStatus(0xC0000002);
inline constexpr NtStatus STATUS_INVALID_PARAMETER = MakeStatus(0xC000000D);
inline constexpr NtStatus STATUS_NO_SUCH_DEVICE = MakeStatus(0xC000000E);
inline constexpr NtStatus STATUS_INVALID_DEVICE_REQUEST = MakeStatus(0xC0000010);
inline constexpr NtStatus STATUS_MORE_PROCESSING_REQUIRED = MakeStatus(0xC0000016);
inline constexpr NtStatus STATUS_ACCESS_DENIED = MakeStatus(0xC0000022);
inline constexpr NtStatus STATUS_BUFFER_TOO_SMALL = MakeStatus(0xC0000023);
inline constexpr NtStatus STATUS_OBJECT_NAME_NOT_FOUND = MakeStatus(0xC0000034);
inline constexpr NtStatus STATUS_OBJECT_NAME_COLLISION = MakeStatus(0xC0000035);
inline constexpr NtStatus STATUS_SHARING_VIOLATION = MakeStatus(0xC0000043);
inline constexpr NtStatus STATUS_QUOTA_EXCEEDED = MakeStatus(0xC0000044);
inline constexpr NtStatus STATUS_DELETE_PENDING = MakeStatus(0xC0000056);
inline constexpr NtStatus STATUS_ALLOTTED_SPACE_EXCEEDED = MakeStatus(0xC0000099);
inline constexpr NtStatus STATUS_INSUFFICIENT_RESOURCES = MakeStatus(0xC000009A);
inline constexpr NtStatus STATUS_DEVICE_NOT_CONNECTED = MakeStatus(0xC000009D);
inline constexpr NtStatus STATUS_DEVICE_NOT_READY = MakeStatus(0xC00000A3);
inline constexpr NtStatus STATUS_NOT_SUPPORTED = MakeStatus(0xC00000BB);
inline constexpr NtStatus STATUS_DEVICE_DOES_NOT_EXIST = MakeStatus(0xC00000C0);
inline constexpr NtStatus STATUS_REQUEST_NOT_ACCEPTED = MakeStatus(0xC00000D0);
inline constexpr NtStatus STATUS_TOO_MANY_OPENED_FILES = MakeStatus(0xC000011F);
inline constexpr NtStatus STATUS_CANCELLED = MakeStatus(0xC0000120);
inline constexpr NtStatus STATUS_REGISTRY_CORRUPT = MakeStatus(0xC000014C);
inline constexpr NtStatus STATUS_REGISTRY_IO_FAILED = MakeStatus(0xC000014D);
inline constexpr NtStatus STATUS_IO_DEVICE_ERROR = MakeStatus(0xC0000185);
inline constexpr NtStatus STATUS_DEVICE_REMOVED = MakeStatus(0xC00002B6);

constexpr bool NT_SUCCESS(NtStatus status) { return status >= 0; }

// The status's platform name ("STATUS_TIMEOUT"), or an empty view for a code not listed above.
std::string_view StatusName(NtStatus status);

}  // namespace qvtouch
