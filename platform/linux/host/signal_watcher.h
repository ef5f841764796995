// Receives signals on a thread of its own, so that what a signal sets off (printing, status
// reports, setting the stop event) runs as ordinary code rather than in a signal handler.
// The signals are blocked and read from a signalfd.
//
// Create it on the main thread before any other thread starts: threads inherit the blocked
// mask, and a thread that does not block a signal would take it with its default action.
// The handler runs on the watcher's thread. Destroy it on the thread that created it.
#pragma once

#include <signal.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <thread>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

class SignalWatcher {
 public:
  using Handler = std::function<void(int signal)>;

  static HostResult<std::unique_ptr<SignalWatcher>> Start(std::initializer_list<int> signals,
                                                          Handler handler);

  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;
  // Stops the thread and restores the signal mask the creating thread had.
  ~SignalWatcher();

 private:
  SignalWatcher(int signal_fd, int wake_fd, sigset_t old_mask, Handler handler);
  void Loop();

  int signal_fd_;
  int wake_fd_;  // eventfd that ends the loop
  sigset_t old_mask_;
  Handler handler_;
  std::thread thread_;
};

}  // namespace corvane::host
