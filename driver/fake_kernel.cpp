#include "driver/fake_kernel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "driver/spin_lock.h"

namespace qvtouch::driver {
namespace {

// A wait that would block longer than this in simulated time means a test that never ends.
constexpr std::int64_t kSimulatedTimeLimit = std::int64_t{24} * 3600 * 1000 * kUnitsPerMillisecond;

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return lower;
}

class FakeThread final : public SystemThread {
 public:
  void Join() override {}
};

}  // namespace

class FakeEvent final : public KernelEvent {
 public:
  explicit FakeEvent(FakeKernel& kernel) : kernel_(kernel) {}
  void Set() override { signalled_ = true; }
  void Clear() override { signalled_ = false; }
  NtStatus Wait(std::optional<std::int64_t> timeout) override {
    return kernel_.BlockingWait(signalled_, timeout);
  }

 private:
  FakeKernel& kernel_;
  bool signalled_ = false;
};

class FakeKernel::FakeTimer final : public KernelTimer {
 public:
  FakeTimer(FakeKernel& kernel, std::function<void()> routine)
      : kernel_(kernel), routine_(std::move(routine)) {
    kernel_.timers_.insert(this);
  }
  ~FakeTimer() override { kernel_.timers_.erase(this); }

  bool Set(std::int64_t dueTime) override {
    const bool wasSet = due_.has_value();
    due_ = kernel_.now_ - dueTime;
    if (const std::uint32_t tone = std::exchange(kernel_.toneAwaitingTimer_, 0);
        tone != 0 && kernel_.OnToneStarted) {
      kernel_.OnToneStarted(tone, -dueTime / kUnitsPerMillisecond);
    }
    if (kernel_.OnTimerSet) {
      const auto hook = kernel_.OnTimerSet;  // the hook may replace itself
      hook();
    }
    return wasSet;
  }
  bool Cancel() override {
    const bool wasSet = due_.has_value();
    due_.reset();
    return wasSet;
  }

  std::optional<std::int64_t> Due() const { return due_; }
  void Fire() {
    due_.reset();
    routine_();
  }

 private:
  FakeKernel& kernel_;
  std::function<void()> routine_;
  std::optional<std::int64_t> due_;
};

class FakeKernel::FakeWorkItem final : public KernelWorkItem {
 public:
  FakeWorkItem(FakeKernel& kernel, std::function<void()> routine)
      : kernel_(kernel), routine_(std::move(routine)) {
    kernel_.workItems_.push_back(this);
  }
  ~FakeWorkItem() override { std::erase(kernel_.workItems_, this); }

  void Queue() override { queued_ = true; }
  // Runs the routine if it is queued; false if it is not.
  bool Run() {
    if (!std::exchange(queued_, false)) return false;
    routine_();
    return true;
  }

 private:
  FakeKernel& kernel_;
  std::function<void()> routine_;
  bool queued_ = false;
};

// --- FakeSerialPort -------------------------------------------------------------------------

FakeSerialPort::~FakeSerialPort() { kernel_.PortClosed(this); }

NtStatus FakeSerialPort::DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) {
  Controls.push_back({code, {input.begin(), input.end()}});
  return STATUS_SUCCESS;
}

NtStatus FakeSerialPort::Read(std::span<std::uint8_t> buffer) {
  readBuffer_ = buffer;
  ++ReadsIssued;
  if (cancelled_) {
    Complete(STATUS_CANCELLED, std::nullopt);
  } else if (!NT_SUCCESS(FailsAtOnce)) {
    // A client that issues the next read from inside each failure would nest for ever: past this
    // depth the read waits instead, so that such a chain shows as a count of reads, not a crash.
    constexpr int kDeepestFailure = 64;
    if (failuresNested_ < kDeepestFailure) {
      ++failuresNested_;
      Complete(FailsAtOnce, std::nullopt);
      --failuresNested_;
      return FailsAtOnce;
    }
  }
  return STATUS_PENDING;
}

void FakeSerialPort::CancelRead() {
  cancelled_ = true;
  if (ReadPending()) Complete(STATUS_CANCELLED, std::nullopt);
}

NtStatus FakeSerialPort::Write(std::span<const std::uint8_t> bytes, std::int64_t /*limit*/) {
  Written.insert(Written.end(), bytes.begin(), bytes.end());
  if (OnWrite) OnWrite(bytes);
  return WriteStatus;
}

void FakeSerialPort::Deliver(std::uint8_t byte) { Complete(STATUS_SUCCESS, byte); }

void FakeSerialPort::Deliver(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) Deliver(byte);
}

void FakeSerialPort::Fail(NtStatus status) { Complete(status, std::nullopt); }

void FakeSerialPort::Complete(NtStatus status, std::optional<std::uint8_t> byte) {
  if (!ReadPending()) {
    std::fputs("FakeSerialPort: a read completes while none is outstanding\n", stderr);
    std::abort();
  }
  const std::span<std::uint8_t> buffer = readBuffer_;
  readBuffer_ = {};
  if (byte) buffer[0] = *byte;
  sink_.ReadComplete(status, byte ? 1 : 0);
}

// --- FakeKernel -----------------------------------------------------------------------------

FakeKernel::FakeKernel() = default;
FakeKernel::~FakeKernel() = default;

bool FakeKernel::CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  // Setting names and key paths are ASCII. A plain loop: the fuzzers compare paths for every input.
  const auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch; };
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (lower(a[i]) != lower(b[i])) return lower(a[i]) < lower(b[i]);
  }
  return a.size() < b.size();
}

void FakeKernel::SetValue(const std::string& keyPath, const std::string& name,
                          std::uint32_t value) {
  auto key = store_.find(keyPath);
  if (key == store_.end()) key = store_.emplace(keyPath, Values{}).first;
  key->second.insert_or_assign(name, value);
}

void FakeKernel::RunWorkItems() {
  bool ran = true;
  while (ran) {  // a routine may queue work
    ran = false;
    for (std::size_t i = 0; i < workItems_.size(); ++i) ran = workItems_[i]->Run() || ran;
  }
}

void FakeKernel::Advance(std::int64_t units) {
  const std::int64_t target = now_ + units;
  for (;;) {
    RunWorkItems();
    FakeTimer* next = nullptr;
    for (FakeTimer* timer : timers_) {
      const auto due = timer->Due();
      if (due && *due <= target && (next == nullptr || *due < *next->Due())) next = timer;
    }
    if (next == nullptr) break;
    now_ = std::max(now_, *next->Due());
    next->Fire();
  }
  now_ = std::max(now_, target);  // work that waited may have let more time pass
}

NtStatus FakeKernel::BlockingWait(const bool& signalled, std::optional<std::int64_t> timeout) {
  if (signalled) return STATUS_SUCCESS;
  RunWorkItems();
  if (signalled) return STATUS_SUCCESS;
  if (OnBlockingWait) {
    const auto hook = OnBlockingWait;  // the hook may replace itself
    hook();
  }
  if (signalled) return STATUS_SUCCESS;
  if (!timeout || now_ - *timeout > kSimulatedTimeLimit) {
    std::fputs("FakeKernel: a wait would never end\n", stderr);
    std::abort();
  }
  Advance(-*timeout);
  return STATUS_TIMEOUT;
}

void FakeKernel::MakePortAvailable(const std::string& name, std::int64_t fromTime) {
  ports_[Lower(name)] = fromTime;
}

NtStatus FakeKernel::Control(const std::string& linkName, std::uint32_t code,
                             std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                             std::uint32_t* information, MajorFunction major) {
  const auto link = Links.find(Lower(linkName));
  if (link == Links.end()) return STATUS_OBJECT_NAME_NOT_FOUND;
  IoRequest request{major, code, input, output, 0};
  const NtStatus status = Devices.at(link->second)->Dispatch(request);
  if (information != nullptr) *information = request.Information;
  return status;
}

NtStatus FakeKernel::QueryRegistryValues(std::string_view keyPath,
                                         std::span<const RegistryDwordQuery> entries) {
  const auto key = store_.find(keyPath);
  if (key != store_.end()) {
    for (const RegistryDwordQuery& entry : entries) {
      const auto value = key->second.find(entry.Name);
      if (value != key->second.end()) *entry.Destination = value->second;
    }
  }
  return QueryStatus;
}

NtStatus FakeKernel::WriteDeviceMapValue(std::string_view key, std::string_view valueName,
                                         std::string_view data) {
  DeviceMap[std::string(key) + "\\" + std::string(valueName)] = std::string(data);
  return STATUS_SUCCESS;
}

void* FakeKernel::AllocatePaged(std::size_t bytes) {
  return PagedMemoryExhausted ? nullptr : ::operator new(bytes);
}

void FakeKernel::FreePaged(void* block) { ::operator delete(block); }

std::unique_ptr<KernelSpinLock> FakeKernel::CreateSpinLock() {
  return ObjectMemoryExhausted ? nullptr : std::make_unique<SpinLock>();
}

std::unique_ptr<KernelEvent> FakeKernel::CreateNotificationEvent() {
  return ObjectMemoryExhausted ? nullptr : std::make_unique<FakeEvent>(*this);
}

std::unique_ptr<KernelTimer> FakeKernel::CreateTimer(std::function<void()> deferredRoutine) {
  return ObjectMemoryExhausted ? nullptr
                               : std::make_unique<FakeTimer>(*this, std::move(deferredRoutine));
}

std::unique_ptr<KernelWorkItem> FakeKernel::CreateWorkItem(std::function<void()> routine) {
  return ObjectMemoryExhausted ? nullptr
                               : std::make_unique<FakeWorkItem>(*this, std::move(routine));
}

std::unique_ptr<SystemThread> FakeKernel::CreateSystemThread(std::function<void()> routine,
                                                             NtStatus& status) {
  status = CreateThreadStatus;
  if (!NT_SUCCESS(status)) return nullptr;
  routine();
  return std::make_unique<FakeThread>();
}

NtStatus FakeKernel::CreateDevice(std::string_view deviceName, DeviceDispatch& dispatch) {
  if (!NT_SUCCESS(CreateDeviceStatus)) return CreateDeviceStatus;
  const auto [it, inserted] = Devices.emplace(Lower(deviceName), &dispatch);
  return inserted ? STATUS_SUCCESS : STATUS_OBJECT_NAME_COLLISION;
}

void FakeKernel::DeleteDevice(std::string_view deviceName) { Devices.erase(Lower(deviceName)); }

NtStatus FakeKernel::CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) {
  if (!NT_SUCCESS(CreateLinkStatus)) return CreateLinkStatus;
  const auto [it, inserted] = Links.emplace(Lower(linkName), Lower(deviceName));
  return inserted ? STATUS_SUCCESS : STATUS_OBJECT_NAME_COLLISION;
}

void FakeKernel::DeleteSymbolicLink(std::string_view linkName) { Links.erase(Lower(linkName)); }

std::unique_ptr<SerialPort> FakeKernel::OpenSerialPort(std::string_view portName,
                                                       ReadCompletionSink& completion,
                                                       NtStatus& status) {
  OpenAttempts.emplace_back(portName);
  const auto port = ports_.find(Lower(portName));
  const bool available = AnyPortOpens || (port != ports_.end() && port->second <= now_);
  if (!available) {
    status = STATUS_OBJECT_NAME_NOT_FOUND;
    return nullptr;
  }
  status = STATUS_SUCCESS;
  auto opened = std::make_unique<FakeSerialPort>(*this, completion);
  openedPort_ = opened.get();
  return opened;
}

void FakeKernel::PortClosed(FakeSerialPort* port) {
  if (openedPort_ == port) openedPort_ = nullptr;
}

void FakeKernel::MakeBeep(std::uint32_t frequency) {
  Tones.push_back({now_, frequency});
  toneAwaitingTimer_ = frequency;
}

}  // namespace qvtouch::driver
