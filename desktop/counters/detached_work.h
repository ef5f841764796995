// Work on a thread of its own that whoever started it never joins, so that closing a window
// never waits for a machine that is slow to answer. Each piece of work owns what it touches
// (copies, or state shared with its starter by shared_ptr) and hands a result back only through
// the event loop, to a receiver it checks there. The provider a piece of work reads must still
// outlive it: the application waits for the work still running when it is about to quit
// (after its windows have closed; each piece is bounded by the provider's own time-outs), and a
// test waits before its provider goes. Any thread may start work or wait, but not a worker.
#pragma once

#include <functional>

namespace corvane::desktop {

// Starts `work` on a new thread that is never joined.
void StartDetached(std::function<void()> work);

// Blocks until every piece of work started so far has ended.
void WaitForDetachedWork();

// The pieces of work still running.
int DetachedWorkRunning();

// Waits for the work when it goes out of scope: declared after a provider and before the
// windows that start work on it, it keeps the provider until the work has ended.
class DetachedWorkDrain {
 public:
  DetachedWorkDrain() = default;
  DetachedWorkDrain(const DetachedWorkDrain&) = delete;
  DetachedWorkDrain& operator=(const DetachedWorkDrain&) = delete;
  ~DetachedWorkDrain() { WaitForDetachedWork(); }
};

}  // namespace corvane::desktop
