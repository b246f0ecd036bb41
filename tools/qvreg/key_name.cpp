#include "tools/qvreg/key_name.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qvtouch::qvreg {
namespace {

using platform::Hive;

struct RootKey {
  std::string_view LongName;
  std::string_view ShortName;
  Hive Which;
};

constexpr std::array<RootKey, 2> kRoots{{
    {"HKEY_LOCAL_MACHINE", "HKLM", Hive::LocalMachine},
    {"HKEY_CURRENT_USER", "HKCU", Hive::CurrentUser},
}};

bool SameNoCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

}  // namespace

HKEY KeyName::RootHandle() const {
  return Root == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string KeyName::FullName() const {
  std::string name(std::ranges::find(kRoots, Root, &RootKey::Which)->LongName);
  return SubKey.empty() ? name : name + '\\' + SubKey;
}

std::optional<KeyName> ParseKeyName(std::string_view text) {
  const std::size_t separator = std::min(text.find('\\'), text.size());
  const std::string_view root = text.substr(0, separator);
  const auto* const found = std::ranges::find_if(kRoots, [root](const RootKey& candidate) {
    return SameNoCase(root, candidate.LongName) || SameNoCase(root, candidate.ShortName);
  });
  if (found == kRoots.end()) return std::nullopt;
  std::string_view subKey = text.substr(std::min(separator + 1, text.size()));
  if (subKey.ends_with('\\')) subKey.remove_suffix(1);
  return KeyName{found->Which, std::string(subKey)};
}

}  // namespace qvtouch::qvreg
