#include "platform/linux/http/request_deadline.h"

#include <sys/socket.h>

#include <algorithm>

namespace corvane::http {

RequestDeadline::RequestDeadline(std::chrono::milliseconds limit)
    : limit_(limit), watcher_(&RequestDeadline::Run, this) {}

RequestDeadline::~RequestDeadline() { Stop(); }

void RequestDeadline::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  if (watcher_.joinable()) watcher_.join();
}

RequestDeadline::Entry* RequestDeadline::Watch(int fd) {
  std::lock_guard lock(mutex_);
  Entry& entry = entries_.emplace_back();
  entry.fd = fd;
  entry.due = Clock::now() + limit_;
  changed_.notify_one();
  return &entry;
}

void RequestDeadline::Answered(Entry* entry) {
  std::lock_guard lock(mutex_);
  entry->due = Clock::time_point::max();
}

void RequestDeadline::Forget(Entry* entry) {
  std::lock_guard lock(mutex_);
  entries_.remove_if([entry](const Entry& e) { return &e == entry; });
}

std::size_t RequestDeadline::expired() const {
  std::lock_guard lock(mutex_);
  return expired_;
}

void RequestDeadline::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = Clock::time_point::max();
    for (Entry& entry : entries_) {
      if (entry.due <= now) {
        // Both directions: the client learns at once, and the server's next read ends.
        ::shutdown(entry.fd, SHUT_RDWR);
        entry.due = Clock::time_point::max();
        ++expired_;
      } else {
        next = std::min(next, entry.due);
      }
    }
    if (next == Clock::time_point::max()) {
      changed_.wait(lock);
    } else {
      changed_.wait_until(lock, next);
    }
  }
}

}  // namespace corvane::http
