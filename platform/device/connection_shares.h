// How many connections one device name serves, and to whom. Each user but root has a share of its
// own, and all of them together a limit, so that one user's connections, however many it opens,
// lock out neither another user nor root: root is always served. A connection that has sent
// nothing for the idle time-out is closed (a program's handle connects again by itself, see
// opened_device.h), so that connections left behind by stopped programs do not count for ever.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "common/status.h"

namespace qvtouch::platform {

// Connections of users other than root, together and of one user.
inline constexpr std::size_t kMaxConnections = 4096;
inline constexpr std::size_t kConnectionsPerUser = 64;
inline constexpr std::chrono::milliseconds kIdleTimeout = std::chrono::minutes(1);
// The descriptors a process serving one device name wants: one per connection, and room for
// root's and its own.
inline constexpr std::size_t kDescriptorsWanted = kMaxConnections + 256;

struct ConnectionLimits {
  std::size_t Total = kMaxConnections;
  std::size_t PerUser = kConnectionsPerUser;
  std::chrono::milliseconds IdleTimeout = kIdleTimeout;
};

// Why a connection is not taken: the status and the limit it met, as the refusal says them.
struct Refusal {
  NtStatus Status;
  std::size_t Limit;
};

class ConnectionShares {
 public:
  explicit ConnectionShares(const ConnectionLimits& limits) : limits_(limits) {}

  // Counts a connection of the user in; the refusal instead when it would go beyond a limit:
  // STATUS_QUOTA_EXCEEDED for the user's share, STATUS_REQUEST_NOT_ACCEPTED for all users'.
  std::optional<Refusal> Take(uid_t user);
  // Counts a connection that Take took out again.
  void Give(uid_t user);

 private:
  ConnectionLimits limits_;
  std::size_t others_ = 0;  // connections of users other than root
  std::unordered_map<uid_t, std::size_t> perUser_;
};

}  // namespace qvtouch::platform
