// CollectorControl: the process-wide flags of the one collector thread a process may run
// (running, starting, stop requested, repaint at start, resample requested) and the engine it
// serves, under a lock of their own; plus the collector's wake-up signal.
//
// Threads: any thread. The control lock is taken before the chart lock where both are held
// (PrepareStatistics at start-up), never after it. The wake-up signal has its own innermost
// lock, so it may be raised while holding either of the others (SetSettings does, under the
// chart lock, when the interval changes).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace corvane {

class Corvane;

class CollectorControl {
 public:
  struct Flags {
    bool running = false;   // set by Start; cleared by the thread as its last step
    bool starting = false;  // set by Start; cleared by the thread as its first step
    bool stop_requested = false;
    bool repaint_at_start = false;
    bool resample_requested = false;
    const Corvane* engine = nullptr;  // the engine served while running
  };

  // The process's one instance.
  static CollectorControl& Instance();

  Flags Snapshot() const;

  // ---- Called by the engine. ----

  // False when a collector runs. Otherwise marks it running and starting for `engine`, clears
  // the stop request and stores the repaint flag.
  bool BeginStart(const Corvane* engine, bool repaint_at_start);
  // The thread could not be created: back to idle, so that a later Start may try again.
  void AbandonStart();

  enum class StopRequest {
    kNotRunning,  // no collector serves this engine
    kRefused,     // a stop is already requested, or the collector is still starting
    kRequested,   // the collector was asked to stop
  };
  StopRequest RequestStop(const Corvane* engine);
  // Asks the collector serving `engine` to stop even while it is starting (the engine is
  // being destroyed). True when one was serving it.
  bool ForceStop(const Corvane* engine);
  // Waits until no collector serves `engine`, at most `timeout`. True when none does.
  bool WaitUntilStopped(const Corvane* engine, std::chrono::milliseconds timeout);
  void RequestResample();
  // Wakes the collector so that it looks at its flags and settings again at once.
  void Wake();

  // ---- Called by the collector thread. ----

  // Clears starting. Unless a stop was requested, calls `prepare` while still holding the
  // control lock. Returns false when a stop was requested.
  bool EnterCollecting(const std::function<void()>& prepare);
  bool StopRequested() const;
  bool RepaintAtStart() const;
  struct PassFlags {
    bool stop = false;
    bool resample = false;
  };
  // Reads the stop request and reads and clears the resample request.
  PassFlags TakePassFlags();
  // Sleeps up to `timeout`, or less when woken (stop, resample, settings). A wake-up raised
  // while the collector was busy ends the next wait at once.
  void WaitForWork(std::chrono::milliseconds timeout);
  // Clears running, starting and the stop request and forgets the engine. The thread's last
  // use of the control.
  void Finish();

 private:
  CollectorControl() = default;

  mutable std::mutex mutex_;
  std::condition_variable stopped_;  // signalled by Finish
  Flags flags_;

  std::mutex wake_mutex_;  // innermost: nothing else is locked while holding it
  std::condition_variable wake_;
  bool wake_pending_ = false;
};

}  // namespace corvane
