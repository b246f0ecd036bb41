#include "platform/posix/operator_group.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace qvtouch::platform {

std::optional<gid_t> OperatorGroupId() {
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(4096);
  const std::string name(kOperatorGroup);
  while (::getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr) return std::nullopt;
  return found->gr_gid;
}

bool IsOperator(gid_t primary, std::span<const gid_t> supplementary) {
  const auto operators = OperatorGroupId();
  return operators && (primary == *operators ||
                       std::ranges::find(supplementary, *operators) != supplementary.end());
}

bool IsOperatorProcess() {
  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
  if (count > 0 && ::getgroups(count, groups.data()) != count) groups.clear();
  return IsOperator(::getegid(), groups);
}

}  // namespace qvtouch::platform
