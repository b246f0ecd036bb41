#include "platform/device/connection_shares.h"

namespace qvtouch::platform {

std::optional<Refusal> ConnectionShares::Take(uid_t user) {
  if (user == 0) return std::nullopt;
  if (others_ >= limits_.Total) return Refusal{STATUS_REQUEST_NOT_ACCEPTED, limits_.Total};
  std::size_t& own = perUser_[user];
  if (own >= limits_.PerUser) return Refusal{STATUS_QUOTA_EXCEEDED, limits_.PerUser};
  ++own;
  ++others_;
  return std::nullopt;
}

void ConnectionShares::Give(uid_t user) {
  if (user == 0) return;
  --others_;
  if (--perUser_[user] == 0) perUser_.erase(user);
}

}  // namespace qvtouch::platform
