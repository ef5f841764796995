// StoreWriteQueue: values bound for one settings store, written in the order they come by a
// thread of its own, so that no caller waits for the store's writer lock. Owns that thread and
// the values not written yet.
//
// The last value queued for a name wins. A batch stops at its first failure (the lock not had
// within its bounded wait, a folder that cannot be written): the failure is reported once, and
// what was not written stays queued, to be tried again with the next value queued or at Flush.
// The object's end flushes once more, within the same bound, and reports what is then lost.
//
// Set and Flush: any thread. The reporter is called on the writer's thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/linux/host/settings_store.h"

namespace corvane::desktop {

class StoreWriteQueue {
 public:
  // Receives one line saying what was not written and why.
  using Reporter = std::function<void(const std::string& message)>;

  StoreWriteQueue(host::SettingsStore store, Reporter reporter);
  ~StoreWriteQueue();
  StoreWriteQueue(const StoreWriteQueue&) = delete;
  StoreWriteQueue& operator=(const StoreWriteQueue&) = delete;

  // Queues `value` for `name` under `key` (the key is created); nothing deletes the value.
  void Set(std::string key, std::string name, std::optional<std::string> value);

  // Waits until what was queued before the call has been tried (once more for what failed
  // earlier). True when nothing is left unwritten.
  bool Flush();

 private:
  using Name = std::pair<std::string, std::string>;  // key, value name
  using Values = std::map<Name, std::optional<std::string>>;

  void Run();
  // Writes `values` in order up to the first failure; what is left is returned, with the failure.
  Values Write(Values values, host::HostStatus* failure);

  host::SettingsStore store_;
  Reporter reporter_;
  std::mutex mutex_;
  std::condition_variable wake_;   // work asked for, or the end
  std::condition_variable tried_;  // a batch is done
  Values pending_;
  std::uint64_t asked_ = 0;        // batches asked for
  std::uint64_t tried_up_to_ = 0;  // the last asked batch that is done
  bool stopping_ = false;
  std::thread thread_;  // last: starts after everything it uses
};

}  // namespace corvane::desktop
