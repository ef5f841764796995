// ExitGuard: the screen saver ends within half a second of being told to (SIGTERM or SIGINT
// from its host, the host's window gone, the user's input), whatever its threads are doing.
//
// The collector may be connecting to a slow remote machine, which takes up to the provider's
// time-out, and the engine's Stop would wait up to 5 s for it. A host kills a hack that
// lingers, and the user must not look at a frozen chart meanwhile. So RequestExit asks the
// window's thread to quit and arms a watchdog: when the process has not ended by the deadline
// (the collector still connecting, or the window's thread waiting for the chart's lock), the
// watchdog flushes what is pending (standard output and error, the X connection) and ends the
// process with _exit. _exit runs no destructors and no atexit handlers, so no thread is torn
// down under the collector's feet and no sanitizer reports the still-running thread's objects:
// the kernel reclaims the memory, and the activity log, written a whole row per write, stays
// sound. Files the collector has open are closed by the kernel too.
//
// Any thread may call RequestExit (a signal watcher's, the window's); the first call's code
// wins. Create and destroy it on the main thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane::screensaver {

class ExitGuard {
 public:
  using Action = std::function<void()>;

  // `quit` asks the window's thread to leave its loop (called on the requesting thread; it
  // must only post). `flush` runs on the watchdog's thread just before _exit.
  ExitGuard(std::chrono::milliseconds deadline, Action quit, Action flush);
  // Disarms the watchdog and joins it.
  ~ExitGuard();
  ExitGuard(const ExitGuard&) = delete;
  ExitGuard& operator=(const ExitGuard&) = delete;

  void RequestExit(int code);
  bool requested() const;
  int code() const;
  // The time left before the watchdog ends the process (zero when not requested).
  std::chrono::milliseconds Remaining() const;
  // Flushes and ends the process now with the requested code.
  [[noreturn]] void ExitNow();

 private:
  void Watch();

  const std::chrono::milliseconds deadline_;
  const Action quit_;
  const Action flush_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool requested_ = false;
  bool disarmed_ = false;
  int code_ = 0;
  std::chrono::steady_clock::time_point due_;
  std::thread watchdog_;
};

}  // namespace corvane::screensaver
