// A scripted counter provider for tests of the collector, the activity log, the engine and the
// tools. The test scripts, per exact counter path (machine part included), the reading each
// collection yields, and the outcome of every other operation; then it counts what the code
// under test called.
//
// Threads: any thread may script, observe and call it at once (one mutex inside). Delayed calls
// wait on a condition variable without holding that mutex. Each query belongs to the thread that
// opened it, as with every provider.
//
// Lifetime: queries and delayed calls keep the shared state alive, so a query may outlive the
// provider. Destroying the provider releases every delay, as ReleaseDelays does.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/fake/fake_script.h"
#include "platform/fake/fake_state.h"

namespace corvane::fake {

class FakeProvider final : public perf::Provider {
 public:
  FakeProvider();
  ~FakeProvider() override;

  FakeProvider(const FakeProvider&) = delete;
  FakeProvider& operator=(const FakeProvider&) = delete;

  // ---- Scripting. A later call for the same key replaces the earlier script.

  // The n-th collection of a query yields readings[n-1] for this path; past the end, `after`
  // decides. A path with no script cannot be added (kNoCounter); an empty script can be added
  // but never reads (kInvalidData).
  void ScriptReadings(std::string path, std::vector<Reading> readings,
                      AfterScript after = AfterScript::kHoldLast);
  // The same value at every collection.
  void ScriptValue(std::string path, double value);

  // AddCounter(path) fails with `status`; kOk removes the failure.
  void FailAdd(std::string path, perf::Status status);

  // ConnectMachine(machine) blocks for `delay` (until ReleaseDelays at the latest), then returns
  // `status`. While `status` is a failure, paths on that machine cannot be added and its names
  // and objects cannot be looked up. Unscripted machines connect at once.
  void ScriptConnect(std::string machine, perf::Status status,
                     std::chrono::milliseconds delay = std::chrono::milliseconds{0});

  // What MachineError says of the machine (empty: nothing).
  void ScriptMachineError(std::string machine, std::string reason);

  // Step n-1 answers every query's n-th Collect; past the end, `after` decides. Empty: every
  // collection succeeds at once.
  void ScriptCollections(std::vector<CollectStep> steps,
                         AfterScript after = AfterScript::kHoldLast);

  // OpenQuery fails with `status` until called again with kOk.
  void FailOpenQuery(perf::Status status);

  // Name lookup: scripted per (machine, index); otherwise perf::EnglishName, or
  // kStringNotFound where it has none.
  void ScriptName(std::string machine, std::uint32_t index, std::string name);
  void FailName(std::string machine, std::uint32_t index, perf::Status status);

  // Enumeration: scripted per machine and per (machine, object); otherwise the standard
  // catalogue's objects and counters under their English names, with a "_Total" instance where
  // the object has one.
  void ScriptObjects(std::string machine, std::vector<std::string> objects);
  void FailObjects(std::string machine, perf::Status status);
  void ScriptObjectItems(std::string machine, std::string object, std::vector<std::string> counters,
                         std::vector<std::string> instances);
  void FailObjectItems(std::string machine, std::string object, perf::Status status);

  // Ends every delay in progress and skips all later ones, so a test's teardown never waits out
  // a scripted delay. Cannot be undone.
  void ReleaseDelays();

  // ---- Observation.
  FakeCounts Counts() const;
  int ConnectCount(std::string_view machine) const;  // ConnectMachine calls with that machine
  std::vector<std::string> ConnectCalls() const;     // every machine connected, in call order
  // The machines of each ConnectMachines call, one list per call.
  std::vector<std::vector<std::string>> ConnectBatches() const;
  std::vector<std::string> AddedPaths() const;  // every AddCounter path, in call order

  // ---- perf::Provider.
  perf::Status OpenQuery(std::unique_ptr<perf::Query>* query) override;
  perf::Status ConnectMachine(std::string_view machine) override;
  // Connects the machines side by side: the call blocks for the longest of their delays, not
  // their sum, and counts as one connection per machine.
  void ConnectMachines(std::span<const std::string> machines,
                       std::span<perf::Status> statuses) override;
  std::string MachineError(std::string_view machine) const override;
  perf::Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                 std::string* name) override;
  perf::Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) override;
  perf::Status EnumObjectItems(std::string_view machine, std::string_view object,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override;

 private:
  std::shared_ptr<FakeState> state_;
};

}  // namespace corvane::fake
