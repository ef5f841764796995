#include "platform/fake/fake_state.h"

namespace corvane::fake {

void FakeState::Delay(std::chrono::milliseconds delay) {
  if (delay <= std::chrono::milliseconds::zero()) return;
  std::unique_lock lock(mutex);
  ++counts.calls_in_delay;
  // wait_for releases the mutex while it waits, so the test thread can script, observe and
  // release in the meantime.
  delays_released_cv.wait_for(lock, delay, [this] { return delays_released; });
  --counts.calls_in_delay;
}

void FakeState::ReleaseDelays() {
  {
    std::lock_guard lock(mutex);
    delays_released = true;
  }
  delays_released_cv.notify_all();
}

perf::Status FakeState::MachineStatus(std::string_view machine) const {
  const auto it = connects.find(machine);
  return it == connects.end() ? perf::kOk : it->second.status;
}

}  // namespace corvane::fake
