// The registry as the tests read and prepare it, in this process's view (a 32-bit program's on a
// 64-bit system).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qvtouch::test {

// A REG_SZ value; nullopt when the key or the value is missing or of another type.
std::optional<std::string> ReadText(HKEY root, const char* key, const char* name);
// A REG_DWORD value; nullopt when the key or the value is missing or of another type.
std::optional<DWORD> ReadDword(HKEY root, const char* key, const char* name);
// Writes a REG_DWORD value, creating the key; false when it cannot.
bool WriteDword(HKEY root, const char* key, const char* name, DWORD value);
// Deletes a value; a missing one is no failure.
void DeleteValue(HKEY root, const char* key, const char* name);

}  // namespace qvtouch::test
