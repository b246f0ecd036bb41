// What every registry call does around its work: find the key behind the handle, check the
// rights the call needs, and turn a store failure into the call's result.
#pragma once

#include <new>
#include <string_view>
#include <vector>

#include "platform/registry/handle_table.h"
#include "platform/registry/store_error.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// body() returns the call's result; a StoreError it throws becomes the result instead.
template <class Body>
LSTATUS Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const StoreError& error) {
    return error.Status();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

// Runs body(const OpenKey&) for the key behind handle if the handle holds the required rights.
template <class Body>
LSTATUS CallOnKey(HKEY handle, REGSAM required, Body&& body) noexcept {
  return Guarded([&]() -> LSTATUS {
    const auto key = LookUpKey(handle);
    if (!key) return ERROR_INVALID_HANDLE;
    if ((key->Granted & required) != required) return ERROR_ACCESS_DENIED;
    return body(*key);
  });
}

// A name given to a call; null is the empty name.
std::string_view NameOf(LPCSTR name);

// The key names along a path given to a call; throws StoreError(ERROR_INVALID_PARAMETER) for a
// path that SplitKeyPath refuses.
std::vector<std::string_view> KeyPathOf(std::string_view path);

}  // namespace qvtouch::platform
