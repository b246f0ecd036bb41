// Reading keys through the registry calls: a key's values and subkeys, one value, a whole tree.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/reg_file.h"
#include "platform/registry/winreg.h"

namespace qvtouch::qvreg {

// A key handle that is closed when it goes.
class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  HKEY Get() const { return key_; }
  PHKEY Out() { return &key_; }  // for the call that opens it

 private:
  HKEY key_ = nullptr;
};

struct KeyContents {
  std::vector<platform::RegFileValue> Values;  // in their order
  std::vector<std::string> Subkeys;            // names, in name order
};

LSTATUS ReadKeyContents(HKEY key, KeyContents& contents);

// The value of that name (the name as given).
LSTATUS ReadValue(HKEY key, const std::string& name, platform::RegFileValue& value);

// Calls visit(key, its full name, its contents) for key and every key under it, each key before
// its subkeys, subkeys in name order. Stops at the first result that is not ERROR_SUCCESS.
using KeyVisitor = std::function<LSTATUS(HKEY, const std::string&, const KeyContents&)>;
LSTATUS VisitTree(HKEY key, const std::string& fullName, const KeyVisitor& visit);

}  // namespace qvtouch::qvreg
