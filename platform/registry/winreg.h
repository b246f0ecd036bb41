// The platform's registry calls, ANSI form, as the programs make them:
//
//   HKEY key;
//   if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
//   "System\\CurrentControlSet\\Services\\QVTouch\\Parameters",
//                     0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
//     DWORD port = 0, size = sizeof port;
//     RegQueryValueExA(key, "Port", nullptr, nullptr, reinterpret_cast<LPBYTE>(&port), &size);
//     RegCloseKey(key);
//   }
//
// Two hives, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, each kept in a database file (hive.h).
// Key paths are backslash-separated; key and value names compare without regard to ASCII case
// and keep the case they were created with. Values are REG_SZ, REG_DWORD or REG_BINARY; the
// empty value name is the key's default value.
//
// Access follows the hive file's permissions: a process that may not write the file can still
// read it (the machine hive through its copy), but opening a key for any right that changes the
// store fails with ERROR_ACCESS_DENIED, and so does every change made through HKEY_LOCAL_MACHINE
// or HKEY_CURRENT_USER themselves; a touch-screen operator's changes go to the registry service
// (store_rights.h). A key or value whose name holds a control character is never made
// (ERROR_INVALID_PARAMETER).
//
// Every call is safe from several threads and processes at once, and is one transaction. A
// damaged hive file fails every call on that hive with ERROR_BADDB and is never written.
#pragma once

#ifdef _WIN32
// On the platform itself: its own registry calls (advapi32).
#include <windows.h>
#else
#include <cstdint>

#include "platform/base/win32_types.h"

using LSTATUS = LONG;
using REGSAM = DWORD;
using LPSTR = char*;
using LPBYTE = BYTE*;

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;

// Macros, as on the platform: a pointer made from an integer cannot be a constant expression.
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
// READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY
inline constexpr REGSAM KEY_READ = 0x20019;
// READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY
inline constexpr REGSAM KEY_WRITE = 0x20006;
// The standard rights (DELETE, READ_CONTROL, WRITE_DAC, WRITE_OWNER) and every KEY_ right above.
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Results besides those of win32_types.h.
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_MORE_DATA = 234;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
inline constexpr DWORD ERROR_BADDB = 1009;  // the hive file is damaged
inline constexpr DWORD ERROR_REGISTRY_IO_FAILED =
    1016;                                         // the hive file could not be read or written
inline constexpr DWORD ERROR_KEY_DELETED = 1018;  // the handle's key was deleted

// Opens an existing key. An empty or null lpSubKey opens hKey's own key again. Options are not
// used. Rights that change the store need a hive file this process may write.
LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      PHKEY phkResult);

// Opens a key, creating it and any missing key above it. Creating needs KEY_CREATE_SUB_KEY on
// hKey. The store keeps no classes or security descriptors: lpClass and lpSecurityAttributes are
// ignored; dwOptions must be REG_OPTION_NON_VOLATILE. lpdwDisposition, when given, receives
// REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                        PHKEY phkResult, LPDWORD lpdwDisposition);

// Closes a handle from RegOpenKeyExA or RegCreateKeyExA. Closing a predefined key does nothing.
LSTATUS RegCloseKey(HKEY hKey);

// Reads a value (KEY_QUERY_VALUE). *lpType receives its type, *lpcbData its size in bytes (a
// REG_SZ size counts the terminating zero). With lpData null only the size is reported; when
// *lpcbData is smaller than the value, the result is ERROR_MORE_DATA, *lpcbData the size needed,
// and the buffer is left as it was. A missing value is ERROR_FILE_NOT_FOUND.
LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData);

// Creates or replaces a value (KEY_SET_VALUE). A REG_SZ value ends at its first zero byte, or after
// cbData bytes; a REG_DWORD value must be exactly 4 bytes. Other types get ERROR_INVALID_PARAMETER.
LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                       const BYTE* lpData, DWORD cbData);

// Deletes a value (KEY_SET_VALUE); ERROR_FILE_NOT_FOUND when there is none.
LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

// Deletes a key and its values. A key that has subkeys is not deleted: ERROR_ACCESS_DENIED, as for
// a hive's root.
LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

// Deletes a key with everything under it; with lpSubKey null, only what is under hKey's key (its
// values and subkeys), which needs KEY_SET_VALUE on hKey.
LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);

// The name of the subkey at dwIndex in name order (KEY_ENUMERATE_SUB_KEYS). *lpcchName is the
// buffer's size in characters with room for the terminating zero, and receives the name's length
// without it; a buffer too small gives ERROR_MORE_DATA. ERROR_NO_MORE_ITEMS past the last subkey.
// A class, when asked for, is empty; the last write time is zero.
LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);

// The value at dwIndex in the order the values were created (KEY_QUERY_VALUE): its name as for
// RegEnumKeyExA, its type, and its data as for RegQueryValueExA. ERROR_NO_MORE_ITEMS past the last.
LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// Counts and largest sizes of a key's subkeys and values (KEY_QUERY_VALUE); names in characters
// without the terminating zero, data in bytes. Classes and security descriptors are empty; the
// last write time is zero. Every output is optional.
LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                         LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                         LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                         LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime);
#endif  // _WIN32
