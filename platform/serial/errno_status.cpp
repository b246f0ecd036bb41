#include "platform/serial/errno_status.h"

#include <cerrno>

namespace qvtouch::platform {

NtStatus StatusFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return STATUS_OBJECT_NAME_NOT_FOUND;
    case EACCES:
    case EPERM:
      return STATUS_ACCESS_DENIED;
    case EBUSY:
      return STATUS_SHARING_VIOLATION;
    case ENOTTY:
    case EINVAL:
      return STATUS_INVALID_PARAMETER;  // not a tty, or a setting the tty refuses
    case ENOMEM:
    case EMFILE:
    case ENFILE:
      return STATUS_INSUFFICIENT_RESOURCES;
    case EIO:
      return STATUS_IO_DEVICE_ERROR;
    default:
      return STATUS_UNSUCCESSFUL;
  }
}

}  // namespace qvtouch::platform
