// What a directory of remote machines keeps of each machine it has met, by the directory's
// key: whether connecting worked, the Info of that connection (with its page_time), the last
// error, the machine part as first given and whether the machine answers now; and the watcher
// that hears when that changes. Connect, Find and Browse answer from it over the directory's
// own ConnectAll. Both the machines scraped directly and the instances of a Prometheus server
// are kept this way. Any thread; the lock is never held while connecting or telling the
// watcher.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "core/perf_data.h"

namespace corvane::remote {

template <typename Info>
class ConnectionCache {
 public:
  // The key of a machine part; empty when the part names no machine.
  using KeyOf = std::string (*)(std::string_view machine);
  // Connects several machines at once: statuses[i] answers machines[i], and each outcome is
  // recorded.
  using ConnectAll =
      std::function<void(std::span<const std::string> machines, std::span<perf::Status>)>;

  enum class Answering { kUnknown, kYes, kNo };

  struct Entry {
    bool connected = false;
    Info info;
    std::string error;
    std::string name;  // the machine part as first given, for the watcher
    Answering answering = Answering::kUnknown;
  };

  explicit ConnectionCache(KeyOf key_of) : key_of_(key_of) {}

  void SetWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
    std::lock_guard lock(mutex_);
    watcher_ = std::move(watcher);
  }

  // Tells the watcher of a change; `server`: of the server itself, `name` its address.
  void Tell(const std::string& name, Answering was, Answering now, const std::string& error,
            bool server = false) const {
    if (was == now || (was == Answering::kUnknown && now == Answering::kYes)) return;
    std::shared_ptr<perf::MachineWatcher> watcher;
    {
      std::lock_guard lock(mutex_);
      watcher = watcher_;
    }
    if (watcher == nullptr) return;
    if (server) {
      now == Answering::kNo ? watcher->ServerUnreachable(name, error)
                            : watcher->ServerAnswersAgain(name);
    } else {
      now == Answering::kNo ? watcher->MachineUnreachable(name, error)
                            : watcher->MachineAnswersAgain(name);
    }
  }

  // Stores a connection's outcome under `key` (the name first given stays) and, when `tell`,
  // tells the watcher once the lock is let go when the machine stopped or started answering.
  void Record(const std::string& key, std::string_view name, Entry entry, bool tell = true) {
    entry.answering = entry.connected ? Answering::kYes : Answering::kNo;
    const Answering now = entry.answering;
    const std::string error = entry.error;
    Answering was = Answering::kUnknown;
    std::string shown(name);
    {
      std::lock_guard lock(mutex_);
      Entry& stored = entries_[key];
      was = stored.answering;
      if (!stored.name.empty()) shown = stored.name;
      entry.name = shown;
      stored = std::move(entry);
    }
    if (tell) Tell(shown, was, now, error);
  }

  // The outcome of a later reading of a machine met before: an empty error records that it
  // answered.
  void Note(const std::string& key, const std::string& error) {
    const Answering now = error.empty() ? Answering::kYes : Answering::kNo;
    Answering was = Answering::kUnknown;
    std::string name;
    {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(key);
      if (it == entries_.end()) return;
      was = it->second.answering;
      it->second.answering = now;
      it->second.error = error;
      name = it->second.name;
    }
    Tell(name, was, now, error);
  }

  perf::Status Connect(std::string_view machine, Info* info, const ConnectAll& connect_all) {
    const std::string name(machine);
    perf::Status status = perf::kCannotConnectMachine;
    connect_all(std::span<const std::string>(&name, 1), std::span<perf::Status>(&status, 1));
    if (status == perf::kOk && info != nullptr) {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(key_of_(machine));
      if (it != entries_.end()) *info = it->second.info;
    }
    return status;
  }

  // As the last connection left the machine, connecting first when it was never tried;
  // kNoMachine when that connection failed (a machine is tried once until Connect).
  perf::Status Find(std::string_view machine, Info* info, const ConnectAll& connect_all) {
    const std::string key = key_of_(machine);
    if (key.empty()) return perf::kInvalidPath;
    {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(key);
      if (it != entries_.end()) {
        if (!it->second.connected) return perf::kNoMachine;
        *info = it->second.info;
        return perf::kOk;
      }
    }
    const perf::Status status = Connect(machine, info, connect_all);
    return status == perf::kCannotConnectMachine ? perf::kNoMachine : status;
  }

  // For browsing: the held connection while its page is at most `max_age` seconds old at
  // steady-clock time `now`, else a new connection.
  perf::Status Browse(std::string_view machine, Info* info, double now, double max_age,
                      const ConnectAll& connect_all) {
    const std::string key = key_of_(machine);
    if (key.empty()) return perf::kInvalidPath;
    {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(key);
      if (it != entries_.end() && it->second.connected &&
          now - it->second.info.page_time <= max_age) {
        *info = it->second.info;
        return perf::kOk;
      }
    }
    return Connect(machine, info, connect_all);
  }

  // Why the machine under `key` last failed; empty when it did not or was never met.
  std::string Error(std::string_view key) const {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(key);
    return it == entries_.end() ? std::string() : it->second.error;
  }

 private:
  const KeyOf key_of_;
  mutable std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> entries_;
  std::shared_ptr<perf::MachineWatcher> watcher_;
};

}  // namespace corvane::remote
