#include "tests/windows/support/while_modal.h"

namespace qvtouch::test {
namespace {

constexpr UINT kPollMilliseconds = 20;

// The one waiting action of this thread (tests wait for one dialog at a time).
thread_local WhileModal* waiting = nullptr;

struct Search {
  const char* Caption;
  HWND Found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof caption);
  if (IsWindowVisible(window) && lstrcmpA(caption, search->Caption) == 0) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

WhileModal::WhileModal(const char* caption, std::function<void(HWND dialog)> action)
    : caption_(caption), action_(std::move(action)) {
  waiting = this;
  timer_ = SetTimer(nullptr, 0, kPollMilliseconds, &WhileModal::OnTimer);
}

WhileModal::~WhileModal() {
  KillTimer(nullptr, timer_);
  if (waiting == this) waiting = nullptr;
}

void CALLBACK WhileModal::OnTimer(HWND /*window*/, UINT /*message*/, UINT_PTR /*timer*/,
                                  DWORD /*time*/) {
  WhileModal* self = waiting;
  if (self == nullptr || self->acted_) return;
  Search search{self->caption_, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &FindShown, reinterpret_cast<LPARAM>(&search));
  if (search.Found == nullptr) return;
  self->acted_ = true;
  self->action_(search.Found);
}

}  // namespace qvtouch::test
