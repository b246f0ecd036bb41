// A call into a system library that fails on purpose: while the replacement lives, this program's
// import of the function (its import address table entry) leads to another function of the same
// signature. Only calls made through this program's own imports see it; the system's libraries
// keep calling the real function.
#pragma once

#include <windows.h>

namespace qvtouch::test {

class ImportReplacement {
 public:
  // library: as the import table names it, in any case ("kernel32.dll"). Replaces nothing when
  // the program does not import the function; Replaced() tells.
  ImportReplacement(const char* library, const char* function, void* replacement);
  ~ImportReplacement();
  ImportReplacement(const ImportReplacement&) = delete;
  ImportReplacement& operator=(const ImportReplacement&) = delete;

  bool Replaced() const { return slot_ != nullptr; }

 private:
  static void Write(void** slot, void* function);

  void** slot_ = nullptr;
  void* original_ = nullptr;
};

}  // namespace qvtouch::test
