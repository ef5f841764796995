#include "desktop/app/store_write_queue.h"

#include <cerrno>

namespace corvane::desktop {

StoreWriteQueue::StoreWriteQueue(host::SettingsStore store, Reporter reporter)
    : store_(std::move(store)), reporter_(std::move(reporter)), thread_([this] { Run(); }) {}

StoreWriteQueue::~StoreWriteQueue() {
  const bool written = Flush();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
  if (!written && reporter_) {
    reporter_("settings lost at exit, never saved to " + store_.file());
  }
}

void StoreWriteQueue::Set(std::string key, std::string name, std::optional<std::string> value) {
  {
    std::lock_guard lock(mutex_);
    pending_[Name(std::move(key), std::move(name))] = std::move(value);
    ++asked_;
  }
  wake_.notify_one();
}

bool StoreWriteQueue::Flush() {
  std::unique_lock lock(mutex_);
  const std::uint64_t wanted = ++asked_;
  wake_.notify_one();
  tried_.wait(lock, [&] { return tried_up_to_ >= wanted; });
  return pending_.empty();
}

void StoreWriteQueue::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || asked_ != tried_up_to_; });
    if (asked_ == tried_up_to_) return;  // stopping with nothing asked
    const std::uint64_t batch = asked_;
    Values values = std::move(pending_);
    pending_.clear();
    lock.unlock();
    host::HostStatus failure;
    Values left = values.empty() ? Values() : Write(std::move(values), &failure);
    if (!failure.ok() && reporter_) {
      reporter_("settings not saved to " + store_.file() + ": " + failure.Message());
    }
    lock.lock();
    // A value queued while the batch was written is newer than the one left over.
    pending_.merge(left);
    tried_up_to_ = batch;
    tried_.notify_all();
  }
}

StoreWriteQueue::Values StoreWriteQueue::Write(Values values, host::HostStatus* failure) {
  std::string created;
  for (auto it = values.begin(); it != values.end(); it = values.erase(it)) {
    const auto& [name, value] = *it;
    if (name.first != created) {
      if (host::HostStatus made = store_.CreateKey(name.first); !made.ok()) {
        *failure = made;
        return values;
      }
      created = name.first;
    }
    host::HostStatus done = value ? store_.SetValue(name.first, name.second, *value)
                                  : store_.DeleteValue(name.first, name.second);
    if (!value && done.code() == ENOENT) done = host::HostStatus();
    if (!done.ok()) {
      *failure = done;
      return values;
    }
  }
  return values;
}

}  // namespace corvane::desktop
