#include "tests/support/other_users.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/operator_group.h"

namespace qvtouch::testing {

Identity Nobody() {
  const passwd* nobody = getpwnam("nobody");
  return nobody == nullptr ? Identity{65534, 65534, {}}
                           : Identity{nobody->pw_uid, nobody->pw_gid, {}};
}

std::optional<Identity> NobodyAsOperator() {
  const auto operators = platform::OperatorGroupId();
  if (!operators) return std::nullopt;
  Identity who = Nobody();
  who.Groups = {*operators};
  return who;
}

std::optional<Identity> AnotherOperator() {
  auto who = NobodyAsOperator();
  if (who) --who->User;  // a user id of its own, which no file or process need have
  return who;
}

pid_t StartChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  return child;
}

pid_t StartChildAs(const Identity& who, const std::function<int()>& body) {
  return StartChild([&]() -> int {
    if (setgroups(who.Groups.size(), who.Groups.data()) != 0 ||
        setresgid(who.Group, who.Group, who.Group) != 0 ||
        setresuid(who.User, who.User, who.User) != 0) {
      return 100;
    }
    return body();
  });
}

int WaitForChild(pid_t child) {
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace qvtouch::testing
