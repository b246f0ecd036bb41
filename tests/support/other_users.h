// Running part of a test as another user: a forked child that takes the user's identity, such as
// "nobody", alone or as a touch-screen operator (also in the group qvtouch).
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <vector>

namespace qvtouch::testing {

struct Identity {
  uid_t User;
  gid_t Group;
  std::vector<gid_t> Groups;
};
Identity Nobody();
// nullopt when the group qvtouch does not exist (scripts/test makes it).
std::optional<Identity> NobodyAsOperator();
// An operator other than NobodyAsOperator's, by a user id of its own.
std::optional<Identity> AnotherOperator();

// Runs body in a forked child, whose exit status is body's result.
pid_t StartChild(const std::function<int()>& body);
// Runs body in a forked child that runs as `who`; the child exits with body's result, or 100 when
// it could not become `who`.
pid_t StartChildAs(const Identity& who, const std::function<int()>& body);
// The child's exit status, or -1 if it did not exit.
int WaitForChild(pid_t child);

}  // namespace qvtouch::testing
