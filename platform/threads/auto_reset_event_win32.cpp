#include "platform/threads/auto_reset_event.h"

namespace qvtouch::platform {

AutoResetEvent::AutoResetEvent() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

AutoResetEvent::~AutoResetEvent() {
  if (event_ != nullptr) CloseHandle(event_);
}

bool AutoResetEvent::Valid() const {
  return event_ != nullptr;
}

void AutoResetEvent::Set() {
  SetEvent(event_);
}

void AutoResetEvent::Wait() {
  WaitForSingleObject(event_, INFINITE);
}

}  // namespace qvtouch::platform
