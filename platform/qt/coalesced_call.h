// CoalescedCall: one call of a function on a QObject's thread for any number of requests made
// before it runs, as a repaint asked for after every sample needs. Request never waits: it
// posts at most one queued call to the context object's thread and returns. The flag is
// cleared before the function runs, so a request made while it runs posts again.
//
// Request may be called from any thread; the function runs on the context's thread. Owned by
// the context object (a member of it), so a call still queued when it goes is discarded with
// the context.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>

namespace corvane::qt {

class CoalescedCall {
 public:
  CoalescedCall(QObject* context, std::function<void()> call)
      : context_(context), call_(std::move(call)) {}
  CoalescedCall(const CoalescedCall&) = delete;
  CoalescedCall& operator=(const CoalescedCall&) = delete;

  void Request() {
    if (pending_.exchange(true, std::memory_order_acq_rel)) return;
    posted_.fetch_add(1, std::memory_order_relaxed);
    QMetaObject::invokeMethod(
        context_,
        [this] {
          pending_.store(false, std::memory_order_release);
          call_();
        },
        Qt::QueuedConnection);
  }

  // Calls posted so far (any thread).
  int posted() const { return posted_.load(std::memory_order_relaxed); }

 private:
  QObject* context_;
  std::function<void()> call_;
  std::atomic<bool> pending_{false};
  std::atomic<int> posted_{0};
};

}  // namespace corvane::qt
