#include "desktop/counters/detached_work.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace corvane::desktop {
namespace {

struct Running {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;
  QCoreApplication* hooked = nullptr;  // the application whose quit waits for the work
};

// Never destroyed: a worker may end while the program's statics are being torn down.
Running& State() {
  static auto* state = new Running;
  return *state;
}

// The application waits at its quit, before main's locals (the provider among them) go.
void HookQuit(Running& state) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) return;
  {
    std::lock_guard lock(state.mutex);
    if (state.hooked == app) return;
    state.hooked = app;
  }
  QObject::connect(app, &QCoreApplication::aboutToQuit, app, &WaitForDetachedWork);
}

}  // namespace

void StartDetached(std::function<void()> work) {
  Running& state = State();
  HookQuit(state);
  {
    std::lock_guard lock(state.mutex);
    ++state.count;
  }
  std::thread([&state, work = std::move(work)]() mutable {
    work();
    work = nullptr;  // what it captured goes before the work counts as ended
    std::lock_guard lock(state.mutex);
    --state.count;
    state.ended.notify_all();
  }).detach();
}

void WaitForDetachedWork() {
  Running& state = State();
  std::unique_lock lock(state.mutex);
  state.ended.wait(lock, [&state] { return state.count == 0; });
}

int DetachedWorkRunning() {
  Running& state = State();
  std::lock_guard lock(state.mutex);
  return state.count;
}

}  // namespace corvane::desktop
