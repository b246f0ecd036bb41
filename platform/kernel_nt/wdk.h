// The platform's kernel headers (mingw-w64's ddk folder), with what they need to compile here.
//
// Those headers define as macros many names that the project's shared headers declare as
// constants (the STATUS_ codes, CTL_CODE and the device types, the MOUSE_ flags). The shared
// headers are therefore included first, so that they are parsed before the macros exist; after
// this header, the names mean the same values either way.
#pragma once

#include "common/mouse_input.h"
#include "common/request_codes.h"
#include "common/status.h"

// wdm.h and the compiler's intrinsics header both define these two in C++.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
// Targeting Server 2003, wdm.h tests a version constant that the headers do not define.
#ifndef NTDDI_WINVISTA
#define NTDDI_WINVISTA 0x06000000
#endif

#include <ntddk.h>
// ntddk.h before these: they take its types.
#include <kbdmou.h>
#include <ntddmou.h>

// On x64, wdm.h hides the HAL's speaker call from legacy drivers (NO_LEGACY_DRIVERS); the HAL
// exports it all the same.
extern "C" NTHALAPI BOOLEAN NTAPI HalMakeBeep(ULONG Frequency);
// The kernel exports it to every driver; the headers declare it only for file systems (ntifs.h).
extern "C" NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE Handle, BOOLEAN Alertable,
                                                         PLARGE_INTEGER Timeout);

#ifdef _X86_
// The 32-bit kernel has no call of this name: there the HAL raises to DISPATCH_LEVEL and takes
// the lock.
inline KIRQL KeAcquireSpinLockRaiseToDpc(PKSPIN_LOCK lock) {
  return KfAcquireSpinLock(lock);
}
#endif

// The records the driver shares with the class driver have the platform's layout.
static_assert(sizeof(qvtouch::CONNECT_DATA) == sizeof(::CONNECT_DATA));
static_assert(sizeof(qvtouch::MOUSE_INPUT_DATA) == sizeof(::MOUSE_INPUT_DATA));
static_assert(offsetof(qvtouch::MOUSE_INPUT_DATA, LastX) == offsetof(::MOUSE_INPUT_DATA, LastX));
static_assert(offsetof(qvtouch::MOUSE_INPUT_DATA, ExtraInformation) ==
              offsetof(::MOUSE_INPUT_DATA, ExtraInformation));
static_assert(sizeof(qvtouch::MOUSE_INPUT_DATA::ButtonFlags) == sizeof(USHORT));
