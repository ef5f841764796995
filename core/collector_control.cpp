#include "core/collector_control.h"

namespace corvane {

CollectorControl& CollectorControl::Instance() {
  static CollectorControl control;
  return control;
}

CollectorControl::Flags CollectorControl::Snapshot() const {
  std::lock_guard lock(mutex_);
  return flags_;
}

bool CollectorControl::BeginStart(const Corvane* engine, bool repaint_at_start) {
  std::lock_guard lock(mutex_);
  if (flags_.running) return false;
  flags_.running = true;
  flags_.starting = true;
  flags_.stop_requested = false;
  flags_.repaint_at_start = repaint_at_start;
  flags_.engine = engine;
  // A wake-up raised while no collector ran (a settings change) must not cut short the new
  // collector's first pass.
  std::lock_guard wake_lock(wake_mutex_);
  wake_pending_ = false;
  return true;
}

void CollectorControl::AbandonStart() {
  {
    std::lock_guard lock(mutex_);
    flags_.running = false;
    flags_.starting = false;
    flags_.stop_requested = false;
    flags_.engine = nullptr;
  }
  stopped_.notify_all();
}

CollectorControl::StopRequest CollectorControl::RequestStop(const Corvane* engine) {
  {
    std::lock_guard lock(mutex_);
    if (!flags_.running || flags_.engine != engine) return StopRequest::kNotRunning;
    if (flags_.stop_requested || flags_.starting) return StopRequest::kRefused;
    flags_.stop_requested = true;
  }
  Wake();
  return StopRequest::kRequested;
}

bool CollectorControl::ForceStop(const Corvane* engine) {
  {
    std::lock_guard lock(mutex_);
    if (!flags_.running || flags_.engine != engine) return false;
    flags_.stop_requested = true;
  }
  Wake();
  return true;
}

bool CollectorControl::WaitUntilStopped(const Corvane* engine, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return stopped_.wait_for(lock, timeout,
                           [&] { return !flags_.running || flags_.engine != engine; });
}

void CollectorControl::RequestResample() {
  {
    std::lock_guard lock(mutex_);
    flags_.resample_requested = true;
  }
  Wake();
}

void CollectorControl::Wake() {
  std::lock_guard lock(wake_mutex_);
  wake_pending_ = true;
  wake_.notify_all();
}

bool CollectorControl::EnterCollecting(const std::function<void()>& prepare) {
  std::lock_guard lock(mutex_);
  flags_.starting = false;
  if (flags_.stop_requested) return false;
  prepare();
  return true;
}

bool CollectorControl::StopRequested() const {
  std::lock_guard lock(mutex_);
  return flags_.stop_requested;
}

bool CollectorControl::RepaintAtStart() const {
  std::lock_guard lock(mutex_);
  return flags_.repaint_at_start;
}

CollectorControl::PassFlags CollectorControl::TakePassFlags() {
  std::lock_guard lock(mutex_);
  PassFlags pass{flags_.stop_requested, flags_.resample_requested};
  flags_.resample_requested = false;
  return pass;
}

void CollectorControl::WaitForWork(std::chrono::milliseconds timeout) {
  std::unique_lock lock(wake_mutex_);
  wake_.wait_for(lock, timeout, [this] { return wake_pending_; });
  wake_pending_ = false;
}

void CollectorControl::Finish() {
  {
    std::lock_guard lock(mutex_);
    flags_.running = false;
    flags_.starting = false;
    flags_.stop_requested = false;
    flags_.engine = nullptr;
  }
  stopped_.notify_all();
}

}  // namespace corvane
