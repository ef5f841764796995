// The service's stop event: manual reset, initially clear. Set by the stop control or the
// console's interrupt; the run waits on it without time limit.
//
// Any thread; takes its own lock. Not for signal handlers: signals reach it through the
// signal watcher's thread.
#pragma once

#include <condition_variable>
#include <mutex>

namespace corvane::host {

class StopEvent {
 public:
  void Set();
  bool IsSet() const;
  // Returns once the event is set (at once when it already is).
  void Wait() const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_ = false;
};

}  // namespace corvane::host
