#include "platform/registry/handle_table.h"

#include <mutex>
#include <unordered_map>

#include "platform/registry/schema.h"

namespace qvtouch::platform {
namespace {

std::uintptr_t ValueOf(HKEY handle) {
  return reinterpret_cast<std::uintptr_t>(handle);
}

// Far below the predefined keys' values and never null; steps of 4 like the platform's handles.
constexpr std::uintptr_t kFirstHandle = 0x1000;
constexpr std::uintptr_t kHandleStep = 4;

class HandleTable {
 public:
  std::optional<OpenKey> Find(std::uintptr_t handle) {
    std::lock_guard guard(lock_);
    const auto found = keys_.find(handle);
    if (found == keys_.end()) return std::nullopt;
    return found->second;
  }

  std::uintptr_t Add(const OpenKey& key) {
    std::lock_guard guard(lock_);
    const std::uintptr_t handle = next_;
    next_ += kHandleStep;
    keys_.emplace(handle, key);
    return handle;
  }

  bool Remove(std::uintptr_t handle) {
    std::lock_guard guard(lock_);
    return keys_.erase(handle) > 0;
  }

 private:
  std::mutex lock_;
  std::unordered_map<std::uintptr_t, OpenKey> keys_;
  std::uintptr_t next_ = kFirstHandle;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

std::optional<Hive> PredefinedHive(HKEY handle) {
  if (handle == HKEY_LOCAL_MACHINE) return Hive::LocalMachine;
  if (handle == HKEY_CURRENT_USER) return Hive::CurrentUser;
  return std::nullopt;
}

}  // namespace

std::optional<OpenKey> LookUpKey(HKEY handle) {
  if (const auto hive = PredefinedHive(handle)) {
    return OpenKey{*hive, kRootKeyId, KEY_ALL_ACCESS, std::string()};
  }
  return Table().Find(ValueOf(handle));
}

HKEY AddHandle(const OpenKey& key) {
  return reinterpret_cast<HKEY>(Table().Add(key));
}

bool RemoveHandle(HKEY handle) {
  return PredefinedHive(handle).has_value() || Table().Remove(ValueOf(handle));
}

}  // namespace qvtouch::platform
