// The platform's file and device calls on control devices, as the programs make them:
//
//   HANDLE device = CreateFileA("\\\\.\\qvtouch", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
//                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
//   DeviceIoControl(device, IOCTL_TOUCH_GET_SCREEN_POST, nullptr, 0, &post, 4, &returned, nullptr);
//
// A handle may be used by several threads at once: each call takes a connection of its own, so a
// request that waits (a capture, a pass-through) does not hold up the others. Every call sets the
// calling thread's last error (ERROR_SUCCESS when it succeeds).
#pragma once

#ifdef _WIN32
// On the platform itself: its own file and device calls (kernel32).
#include <windows.h>
#else
#include <cstdint>

#include "common/status.h"
#include "platform/base/win32_types.h"

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

// Opens a device by its name ("\\.\qvtouch", not case-sensitive). Access, sharing, disposition
// and attributes are accepted as given; the socket's permissions decide access. Returns
// INVALID_HANDLE_VALUE when the device does not exist (ERROR_FILE_NOT_FOUND), access is denied
// (ERROR_ACCESS_DENIED), the driver refuses the open (its status, mapped), or the driver host
// takes no more connections (ERROR_REQ_NOT_ACCEP at its connection limit, ERROR_NOT_ENOUGH_QUOTA
// at its limit of one user's connections, ERROR_TOO_MANY_OPEN_FILES at its descriptor limit; a
// call on an open handle that needs a new connection fails the same).
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Sends a device-control request and waits for its completion. TRUE for a success-class status
// (STATUS_TIMEOUT included), with the output and *lpBytesReturned = Information; otherwise FALSE
// with the status mapped by RtlNtStatusToDosError. A connection lost mid-request fails with
// ERROR_GEN_FAILURE; buffers beyond the control device's limit fail with ERROR_INVALID_PARAMETER.
BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                     LPOVERLAPPED lpOverlapped);

// Read and write requests on a device handle, completed as the driver decides.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
              LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);

// Closes a handle from CreateFileA; FALSE with ERROR_INVALID_HANDLE for any other value.
BOOL CloseHandle(HANDLE hObject);

// The calling thread's last error.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// The Win32 error of a completion status that fails a call: STATUS_BUFFER_TOO_SMALL
// ERROR_INSUFFICIENT_BUFFER, STATUS_INVALID_DEVICE_REQUEST and STATUS_NOT_IMPLEMENTED
// ERROR_INVALID_FUNCTION, STATUS_INVALID_PARAMETER ERROR_INVALID_PARAMETER, STATUS_DEVICE_BUSY
// ERROR_BUSY, STATUS_CANCELLED ERROR_OPERATION_ABORTED, STATUS_DEVICE_NOT_READY ERROR_NOT_READY,
// STATUS_ACCESS_DENIED ERROR_ACCESS_DENIED, STATUS_DELETE_PENDING ERROR_DELETE_PENDING,
// STATUS_REQUEST_NOT_ACCEPTED ERROR_REQ_NOT_ACCEP, STATUS_QUOTA_EXCEEDED ERROR_NOT_ENOUGH_QUOTA,
// STATUS_TOO_MANY_OPENED_FILES ERROR_TOO_MANY_OPEN_FILES, any other ERROR_GEN_FAILURE.
// Success-class statuses give ERROR_SUCCESS.
DWORD RtlNtStatusToDosError(qvtouch::NtStatus status);
#endif  // _WIN32
