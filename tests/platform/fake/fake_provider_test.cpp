#include "platform/fake/fake_provider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/perf_names.h"

namespace corvane::fake {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr const char* kCpu = "\\Processor(_Total)\\% Processor Time";

std::unique_ptr<perf::Query> Open(FakeProvider& provider) {
  std::unique_ptr<perf::Query> query;
  EXPECT_EQ(provider.OpenQuery(&query), perf::kOk);
  return query;
}

perf::CounterHandle Add(perf::Query& query, const std::string& path) {
  perf::CounterHandle handle = perf::kNullCounter;
  EXPECT_EQ(query.AddCounter(path, &handle), perf::kOk) << path;
  EXPECT_NE(handle, perf::kNullCounter) << path;
  return handle;
}

// ---- Readings per collection.

struct ScriptCase {
  const char* name;
  std::vector<Reading> readings;
  AfterScript after;
  std::vector<Reading> expected;  // what collections 1, 2, ... read
};

class ReadingScriptTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(ReadingScriptTest, NthCollectionReadsNthReading) {
  const ScriptCase& c = GetParam();
  FakeProvider provider;
  provider.ScriptReadings(kCpu, c.readings, c.after);
  auto query = Open(provider);
  const perf::CounterHandle handle = Add(*query, kCpu);

  for (std::size_t n = 0; n < c.expected.size(); ++n) {
    ASSERT_EQ(query->Collect(), perf::kOk);
    Reading got;
    got.status = query->GetFormattedDouble(handle, &got.value);
    if (got.status != perf::kOk) got.value = 0.0;
    EXPECT_EQ(got, c.expected[n]) << "collection " << n + 1;
    // Reading twice within one collection gives the same answer.
    double again = 0.0;
    EXPECT_EQ(query->GetFormattedDouble(handle, &again), got.status);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ReadingScriptTest,
    testing::Values(ScriptCase{"HoldLast",
                               {Value(1), Value(2), Value(3)},
                               AfterScript::kHoldLast,
                               {Value(1), Value(2), Value(3), Value(3), Value(3)}},
                    ScriptCase{
                        "Repeat",
                        {Value(1), Value(2), Value(3)},
                        AfterScript::kRepeat,
                        {Value(1), Value(2), Value(3), Value(1), Value(2), Value(3), Value(1)}},
                    ScriptCase{"FailuresInTheMiddle",
                               {Value(5), Failure(perf::kInvalidData), Value(7)},
                               AfterScript::kRepeat,
                               {Value(5), Failure(perf::kInvalidData), Value(7), Value(5),
                                Failure(perf::kInvalidData)}},
                    ScriptCase{"FirstReadingFailsLikeARate",
                               {Failure(perf::kInvalidData), Value(42.5)},
                               AfterScript::kHoldLast,
                               {Failure(perf::kInvalidData), Value(42.5), Value(42.5)}},
                    ScriptCase{"HoldsALastFailure",
                               {Value(1), Failure(perf::kNoMachine)},
                               AfterScript::kHoldLast,
                               {Value(1), Failure(perf::kNoMachine), Failure(perf::kNoMachine)}},
                    ScriptCase{"EmptyScriptNeverReads",
                               {},
                               AfterScript::kRepeat,
                               {Failure(perf::kInvalidData), Failure(perf::kInvalidData)}},
                    ScriptCase{"NegativeAndZeroValues",
                               {Value(-1.0), Value(0.0)},
                               AfterScript::kHoldLast,
                               {Value(-1.0), Value(0.0), Value(0.0)}}),
    [](const testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

TEST(FakeProviderReadings, NothingToReadBeforeTheFirstCollection) {
  FakeProvider provider;
  provider.ScriptValue(kCpu, 10);
  auto query = Open(provider);
  const perf::CounterHandle handle = Add(*query, kCpu);
  double value = -5;
  EXPECT_EQ(query->GetFormattedDouble(handle, &value), perf::kNoData);
  EXPECT_EQ(value, -5) << "a failed read leaves the value alone";
}

TEST(FakeProviderReadings, EachQueryCountsItsOwnCollections) {
  FakeProvider provider;
  provider.ScriptReadings(kCpu, {Value(1), Value(2), Value(3)});
  auto first = Open(provider);
  auto second = Open(provider);
  const auto a = Add(*first, kCpu);
  const auto b = Add(*second, kCpu);
  for (int i = 0; i < 3; ++i) first->Collect();
  second->Collect();

  double value = 0;
  ASSERT_EQ(first->GetFormattedDouble(a, &value), perf::kOk);
  EXPECT_EQ(value, 3);
  ASSERT_EQ(second->GetFormattedDouble(b, &value), perf::kOk);
  EXPECT_EQ(value, 1) << "the second query has collected once";
  EXPECT_EQ(provider.Counts().collect_calls, 4);
}

TEST(FakeProviderReadings, RescriptingTakesEffectAtTheNextRead) {
  FakeProvider provider;
  provider.ScriptReadings(kCpu, {Value(1), Value(2)});
  auto query = Open(provider);
  const auto handle = Add(*query, kCpu);
  query->Collect();
  provider.ScriptReadings(kCpu, {Value(10), Value(20)});
  double value = 0;
  ASSERT_EQ(query->GetFormattedDouble(handle, &value), perf::kOk);
  EXPECT_EQ(value, 10) << "same collection index, new script";
}

// ---- Adding counters.

TEST(FakeProviderAdd, OnlyExactlyScriptedReachablePathsAreAdded) {
  FakeProvider provider;
  provider.ScriptValue(kCpu, 1);
  provider.ScriptValue("\\Memory\\% Committed Bytes In Use", 1);
  provider.ScriptValue("\\\\up\\Memory\\% Committed Bytes In Use", 1);
  provider.ScriptValue("\\\\down\\Memory\\% Committed Bytes In Use", 1);
  provider.ScriptValue("\\Objects\\Threads", 1);
  provider.FailAdd("\\Objects\\Threads", perf::kNoCounter);
  provider.ScriptValue("\\Objects\\Processes", 1);
  provider.FailAdd("\\Objects\\Processes", perf::kNoObject);
  provider.FailAdd("\\Objects\\Processes", perf::kOk);
  provider.FailAdd("\\System\\% Registry Quota In Use", perf::kNoObject);
  provider.ScriptConnect("\\\\up", perf::kOk);
  provider.ScriptConnect("\\\\down", perf::kCannotConnectMachine);

  const struct {
    const char* path;
    perf::Status status;
  } cases[] = {
      {kCpu, perf::kOk},
      {"\\processor(_total)\\% processor time", perf::kNoCounter},  // scripts match exactly
      {"\\\\host\\Processor(_Total)\\% Processor Time", perf::kNoCounter},
      {"\\\\up\\Memory\\% Committed Bytes In Use", perf::kOk},
      {"\\\\down\\Memory\\% Committed Bytes In Use", perf::kCannotConnectMachine},
      {"\\Objects\\Threads", perf::kNoCounter},
      {"\\Objects\\Processes", perf::kOk},
      {"\\System\\% Registry Quota In Use", perf::kNoObject},
      {"", perf::kBadCounterName},
      {"Memory", perf::kBadCounterName},
      {"\\Processor(0\\% Processor Time", perf::kBadCounterName},
  };
  auto query = Open(provider);
  std::vector<std::string> tried;
  for (const auto& c : cases) {
    perf::CounterHandle handle = 99;
    EXPECT_EQ(query->AddCounter(c.path, &handle), c.status) << '"' << c.path << '"';
    EXPECT_EQ(handle == perf::kNullCounter, c.status != perf::kOk) << '"' << c.path << '"';
    tried.emplace_back(c.path);
  }
  EXPECT_EQ(provider.AddedPaths(), tried);
  const FakeCounts counts = provider.Counts();
  EXPECT_EQ(counts.add_calls, static_cast<int>(std::size(cases)));
  EXPECT_EQ(counts.counters_added, 3);
}

TEST(FakeProviderAdd, HandlesAreDistinctAndReadTheirOwnCounter) {
  FakeProvider provider;
  provider.ScriptValue("\\Objects\\Processes", 120);
  provider.ScriptValue("\\Objects\\Threads", 950);
  auto query = Open(provider);
  const auto processes = Add(*query, "\\Objects\\Processes");
  const auto threads = Add(*query, "\\Objects\\Threads");
  const auto again = Add(*query, "\\Objects\\Processes");
  EXPECT_NE(processes, threads);
  EXPECT_NE(processes, again);
  query->Collect();
  double value = 0;
  ASSERT_EQ(query->GetFormattedDouble(threads, &value), perf::kOk);
  EXPECT_EQ(value, 950);
  ASSERT_EQ(query->GetFormattedDouble(again, &value), perf::kOk);
  EXPECT_EQ(value, 120);
  EXPECT_EQ(query->GetFormattedDouble(perf::kNullCounter, &value), perf::kInvalidHandle);
  EXPECT_EQ(query->GetFormattedDouble(again + 1, &value), perf::kInvalidHandle);
}

// ---- Removing counters and closing queries.

TEST(FakeProviderRemove, CountsEveryRemovalNullHandlesToo) {
  FakeProvider provider;
  provider.ScriptValue("\\Objects\\Processes", 1);
  provider.ScriptValue("\\Objects\\Threads", 1);
  auto query = Open(provider);
  const auto processes = Add(*query, "\\Objects\\Processes");
  const auto threads = Add(*query, "\\Objects\\Threads");
  query->Collect();

  EXPECT_EQ(query->RemoveCounter(processes), perf::kOk);
  EXPECT_EQ(query->RemoveCounter(processes), perf::kInvalidHandle) << "already removed";
  EXPECT_EQ(query->RemoveCounter(perf::kNullCounter), perf::kInvalidHandle);
  EXPECT_EQ(query->RemoveCounter(perf::kNullCounter), perf::kInvalidHandle);
  EXPECT_EQ(query->RemoveCounter(1234), perf::kInvalidHandle);
  double value = 0;
  EXPECT_EQ(query->GetFormattedDouble(processes, &value), perf::kInvalidHandle);
  EXPECT_EQ(query->GetFormattedDouble(threads, &value), perf::kOk);

  FakeCounts counts = provider.Counts();
  EXPECT_EQ(counts.remove_calls, 5);
  EXPECT_EQ(counts.null_removes, 2);
  EXPECT_EQ(counts.counters_removed, 1);
  EXPECT_EQ(counts.LiveCounters(), 1);
  EXPECT_EQ(counts.QueriesOpen(), 1);

  query.reset();
  counts = provider.Counts();
  EXPECT_EQ(counts.queries_closed, 1);
  EXPECT_EQ(counts.counters_left_at_close, 1) << "Threads was never removed";
  EXPECT_EQ(counts.LiveCounters(), 0);
  EXPECT_EQ(counts.QueriesOpen(), 0);
}

TEST(FakeProviderRemove, QueryOutlivesItsProvider) {
  auto provider = std::make_unique<FakeProvider>();
  provider->ScriptValue(kCpu, 3);
  auto query = Open(*provider);
  const auto handle = Add(*query, kCpu);
  provider.reset();
  ASSERT_EQ(query->Collect(), perf::kOk);
  double value = 0;
  ASSERT_EQ(query->GetFormattedDouble(handle, &value), perf::kOk);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(query->RemoveCounter(handle), perf::kOk);
}

// ---- Collections and queries.

TEST(FakeProviderCollect, AFailedCollectionCountsAndLeavesNothingToRead) {
  FakeProvider provider;
  provider.ScriptReadings(kCpu, {Value(1), Value(2), Value(3), Value(4)});
  provider.ScriptCollections({{perf::kOk, {}}, {perf::kNoData, {}}, {perf::kOk, {}}},
                             AfterScript::kRepeat);
  auto query = Open(provider);
  const auto handle = Add(*query, kCpu);

  const perf::Status expected_collect[] = {perf::kOk, perf::kNoData, perf::kOk, perf::kOk};
  const Reading expected_read[] = {Value(1), Failure(perf::kInvalidData), Value(3), Value(4)};
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(query->Collect(), expected_collect[n]) << "collection " << n + 1;
    Reading got;
    got.status = query->GetFormattedDouble(handle, &got.value);
    if (got.status != perf::kOk) got.value = 0;
    EXPECT_EQ(got, expected_read[n]) << "collection " << n + 1;
  }
  EXPECT_EQ(provider.Counts().collect_calls, 4);
}

TEST(FakeProviderCollect, AnEmptyQueryCollects) {
  FakeProvider provider;
  auto query = Open(provider);
  EXPECT_EQ(query->Collect(), perf::kOk);
}

TEST(FakeProviderOpenQuery, ScriptedFailureGivesNoQueryUntilCleared) {
  FakeProvider provider;
  auto query = Open(provider);
  provider.FailOpenQuery(perf::kMemoryAllocationFailure);
  EXPECT_EQ(provider.OpenQuery(&query), perf::kMemoryAllocationFailure);
  EXPECT_EQ(query, nullptr) << "a failed open leaves no query behind";
  provider.FailOpenQuery(perf::kOk);
  EXPECT_EQ(provider.OpenQuery(&query), perf::kOk);
  EXPECT_NE(query, nullptr);

  const FakeCounts counts = provider.Counts();
  EXPECT_EQ(counts.open_query_calls, 3);
  EXPECT_EQ(counts.failed_open_queries, 1);
  EXPECT_EQ(counts.queries_closed, 1);
  EXPECT_EQ(counts.QueriesOpen(), 1);
}

// ---- Machines.

TEST(FakeProviderConnect, CountsCallsPerMachineInOrder) {
  FakeProvider provider;
  provider.ScriptConnect("\\\\down", perf::kCannotConnectMachine);
  EXPECT_EQ(provider.ConnectMachine("\\\\a"), perf::kOk) << "unscripted machines connect";
  EXPECT_EQ(provider.ConnectMachine("\\\\down"), perf::kCannotConnectMachine);
  EXPECT_EQ(provider.ConnectMachine("\\\\a"), perf::kOk);
  EXPECT_EQ(provider.ConnectMachine("\\\\A"), perf::kOk);
  EXPECT_EQ(provider.ConnectCount("\\\\a"), 2);
  EXPECT_EQ(provider.ConnectCount("\\\\A"), 1) << "machines are told apart exactly";
  EXPECT_EQ(provider.ConnectCount("\\\\down"), 1);
  EXPECT_EQ(provider.ConnectCount("\\\\never"), 0);
  EXPECT_THAT(provider.ConnectCalls(), ElementsAre("\\\\a", "\\\\down", "\\\\a", "\\\\A"));
}

// ---- Names and enumeration.

TEST(FakeProviderNames, EnglishByDefaultScriptedPerMachine) {
  FakeProvider provider;
  provider.ScriptName("", perf::index::kProcessor, "Prozessor");
  provider.FailName("", perf::index::kMemory, perf::kInvalidArgument);
  provider.ScriptConnect("\\\\down", perf::kCannotConnectMachine);

  const struct {
    const char* machine;
    std::uint32_t index;
    perf::Status status;
    const char* name;
  } cases[] = {
      {"", perf::index::kProcessor, perf::kOk, "Prozessor"},
      {"\\\\other", perf::index::kProcessor, perf::kOk, "Processor"},
      {"", perf::index::kCommittedBytesInUse, perf::kOk, "% Committed Bytes In Use"},
      {"", perf::index::kMemory, perf::kInvalidArgument, "unchanged"},
      {"", 3, perf::kStringNotFound, "unchanged"},
      {"\\\\down", perf::index::kProcessor, perf::kCannotConnectMachine, "unchanged"},
  };
  for (const auto& c : cases) {
    std::string name = "unchanged";
    EXPECT_EQ(provider.LookupNameByIndex(c.machine, c.index, &name), c.status)
        << c.machine << ' ' << c.index;
    EXPECT_EQ(name, c.name) << c.machine << ' ' << c.index;
  }
  EXPECT_EQ(provider.Counts().lookup_calls, static_cast<int>(std::size(cases)));
}

TEST(FakeProviderEnum, StandardObjectsByDefault) {
  FakeProvider provider;
  std::vector<std::string> objects;
  ASSERT_EQ(provider.EnumObjects("", &objects), perf::kOk);
  EXPECT_THAT(objects,
              testing::IsSupersetOf({"Processor", "Objects", "Memory", "Paging File", "LogicalDisk",
                                     "PhysicalDisk", "Network Interface", "System", "Server"}));

  std::vector<std::string> counters;
  std::vector<std::string> instances;
  ASSERT_EQ(provider.EnumObjectItems("", "processor", &counters, &instances), perf::kOk);
  EXPECT_THAT(counters, ElementsAre("% Processor Time"));
  EXPECT_THAT(instances, ElementsAre("_Total"));
  ASSERT_EQ(provider.EnumObjectItems("", "Network Interface", &counters, &instances), perf::kOk);
  EXPECT_THAT(counters, ElementsAre("Bytes Total/sec", "Current Bandwidth"));
  EXPECT_THAT(instances, IsEmpty()) << "network interfaces have no _Total";
  EXPECT_EQ(provider.EnumObjectItems("", "Nonesuch", &counters, &instances), perf::kNoObject);
}

TEST(FakeProviderEnum, ScriptsApplyToTheirMachineOnly) {
  FakeProvider provider;
  provider.ScriptObjects("\\\\web", {"Web Service"});
  provider.ScriptObjectItems("", "PhysicalDisk", {"% Disk Time", "% Idle Time"},
                             {"vda", "nvme0n1", "_Total"});
  provider.ScriptObjectItems("", "physicaldisk", {"% Disk Time"}, {"vda", "_Total"});  // replaces
  provider.FailObjectItems("", "LogicalDisk", perf::kNoData);
  provider.FailObjects("\\\\broken", perf::kNoMachine);
  provider.ScriptConnect("\\\\down", perf::kCannotConnectMachine);

  std::vector<std::string> objects;
  ASSERT_EQ(provider.EnumObjects("\\\\web", &objects), perf::kOk);
  EXPECT_THAT(objects, ElementsAre("Web Service"));
  ASSERT_EQ(provider.EnumObjects("", &objects), perf::kOk);
  EXPECT_THAT(objects, testing::Contains("Processor"));
  EXPECT_EQ(provider.EnumObjects("\\\\broken", &objects), perf::kNoMachine);
  EXPECT_EQ(provider.EnumObjects("\\\\down", &objects), perf::kCannotConnectMachine);

  std::vector<std::string> counters;
  std::vector<std::string> instances;
  ASSERT_EQ(provider.EnumObjectItems("", "PHYSICALDISK", &counters, &instances), perf::kOk);
  EXPECT_THAT(counters, ElementsAre("% Disk Time"));
  EXPECT_THAT(instances, ElementsAre("vda", "_Total"));
  ASSERT_EQ(provider.EnumObjectItems("\\\\web", "PhysicalDisk", &counters, &instances), perf::kOk);
  EXPECT_THAT(instances, ElementsAre("_Total")) << "another machine keeps the defaults";
  EXPECT_EQ(provider.EnumObjectItems("", "LogicalDisk", &counters, &instances), perf::kNoData);
  EXPECT_EQ(provider.Counts().enum_calls, 7);
}

}  // namespace
}  // namespace corvane::fake
