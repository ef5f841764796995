#include "screensaver/exit_guard.h"

#include <unistd.h>

#include <cstdio>

namespace corvane::screensaver {

ExitGuard::ExitGuard(std::chrono::milliseconds deadline, Action quit, Action flush)
    : deadline_(deadline), quit_(std::move(quit)), flush_(std::move(flush)) {
  watchdog_ = std::thread([this] { Watch(); });
}

ExitGuard::~ExitGuard() {
  {
    std::lock_guard lock(mutex_);
    disarmed_ = true;
  }
  changed_.notify_all();
  watchdog_.join();
}

void ExitGuard::RequestExit(int code) {
  {
    std::lock_guard lock(mutex_);
    if (requested_) return;
    requested_ = true;
    code_ = code;
    due_ = std::chrono::steady_clock::now() + deadline_;
  }
  changed_.notify_all();
  if (quit_) quit_();
}

bool ExitGuard::requested() const {
  std::lock_guard lock(mutex_);
  return requested_;
}

int ExitGuard::code() const {
  std::lock_guard lock(mutex_);
  return code_;
}

std::chrono::milliseconds ExitGuard::Remaining() const {
  std::lock_guard lock(mutex_);
  if (!requested_) return std::chrono::milliseconds(0);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      due_ - std::chrono::steady_clock::now());
  return left.count() > 0 ? left : std::chrono::milliseconds(0);
}

void ExitGuard::ExitNow() {
  if (flush_) flush_();
  std::fflush(stdout);
  std::fflush(stderr);
  _exit(code());
}

void ExitGuard::Watch() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return requested_ || disarmed_; });
  if (disarmed_) return;
  if (changed_.wait_until(lock, due_, [this] { return disarmed_; })) return;
  lock.unlock();
  ExitNow();
}

}  // namespace corvane::screensaver
