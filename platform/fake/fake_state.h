// The scripts and call counts a fake provider shares with the queries it opened. A query keeps
// the state alive, so a query or a delayed call may outlive the provider.
// Any thread: every field below `mutex` is read and written under it; Delay waits without it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/perf_data.h"
#include "platform/fake/fake_script.h"

namespace corvane::fake {

struct CounterScript {
  std::vector<Reading> readings;  // reading i answers a query's (i+1)-th collection
  AfterScript after = AfterScript::kHoldLast;
};

struct ConnectScript {
  perf::Status status = perf::kOk;
  std::chrono::milliseconds delay{0};
};

struct NameScript {
  perf::Status status = perf::kOk;
  std::string name;  // the answer when status is kOk
};

struct ObjectsScript {
  perf::Status status = perf::kOk;
  std::vector<std::string> objects;
};

struct ItemsScript {
  std::string machine;  // exact, as ConnectMachine is given it
  std::string object;   // matched case-insensitively
  perf::Status status = perf::kOk;
  std::vector<std::string> counters;
  std::vector<std::string> instances;
};

struct FakeState {
  // Blocks the calling thread for `delay`, or until ReleaseDelays. Called without the mutex.
  void Delay(std::chrono::milliseconds delay);
  void ReleaseDelays();

  // The scripted connect status of the machine part of a path (kOk when none is scripted):
  // a machine that cannot be connected answers nothing else either. Caller holds the mutex.
  perf::Status MachineStatus(std::string_view machine) const;

  mutable std::mutex mutex;
  std::condition_variable delays_released_cv;
  bool delays_released = false;  // once set, no call is delayed again

  // Scripts. Paths and machines match exactly, as given (case and machine part included).
  std::map<std::string, CounterScript, std::less<>> readings;
  std::map<std::string, perf::Status, std::less<>> add_failures;
  std::map<std::string, ConnectScript, std::less<>> connects;
  std::map<std::string, std::string, std::less<>> machine_errors;
  std::vector<CollectStep> collect_steps;  // step i answers a query's (i+1)-th collection
  AfterScript collect_after = AfterScript::kHoldLast;
  perf::Status open_query_status = perf::kOk;
  std::map<std::pair<std::string, std::uint32_t>, NameScript> names;  // (machine, index)
  std::map<std::string, ObjectsScript, std::less<>> objects;          // by machine
  std::vector<ItemsScript> items;

  // Observation.
  FakeCounts counts;
  std::map<std::string, int, std::less<>> connect_counts;  // ConnectMachine calls per machine
  std::vector<std::string> connect_calls;                  // machines in call order
  std::vector<std::vector<std::string>> connect_batches;   // machines of each batch call
  std::vector<std::string> added_paths;                    // AddCounter paths in call order
};

}  // namespace corvane::fake
