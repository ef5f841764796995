#include "platform/linux/host/stop_event.h"

namespace corvane::host {

void StopEvent::Set() {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    set_ = true;
  }
  changed_.notify_all();
}

bool StopEvent::IsSet() const {
  const std::lock_guard<std::mutex> hold(mutex_);
  return set_;
}

void StopEvent::Wait() const {
  std::unique_lock<std::mutex> hold(mutex_);
  changed_.wait(hold, [this] { return set_; });
}

}  // namespace corvane::host
