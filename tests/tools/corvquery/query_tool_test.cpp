#include "tools/corvquery/query_tool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fake/fake_provider.h"

namespace corvane::corvquery {
namespace {

using namespace std::chrono_literals;
using fake::AfterScript;
using fake::Failure;
using fake::FakeProvider;
using fake::Value;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

constexpr const char* kCpu = "\\Processor(_Total)\\% Processor Time";
constexpr const char* kProcesses = "\\Objects\\Processes";
constexpr const char* kMemory = "\\Memory\\% Committed Bytes In Use";

struct RunResult {
  int code = -1;
  std::string out;
  std::string err;
  std::vector<std::chrono::microseconds> sleeps;
  std::vector<int> collections_before_sleep;  // the provider's Collect count at each sleep
};

class QueryToolTest : public testing::Test {
 protected:
  RunResult Run(std::vector<std::string_view> args) { return RunWith(args, &provider_); }

  RunResult RunWith(std::vector<std::string_view> args, perf::Provider* provider) {
    RunResult result;
    std::ostringstream out;
    std::ostringstream err;
    QueryToolHooks hooks;
    hooks.sleep = [&](std::chrono::microseconds interval) {
      result.sleeps.push_back(interval);
      result.collections_before_sleep.push_back(provider_.Counts().collect_calls);
      clock_ += interval;
    };
    hooks.now = [&] { return clock_; };
    result.code = RunQueryTool(args, provider, out, err, hooks);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  FakeProvider provider_;
  // 2024-03-05 06:07:08 UTC; the suite runs with TZ=UTC.
  std::chrono::system_clock::time_point clock_ =
      std::chrono::sys_days{std::chrono::year{2024} / 3 / 5} + 6h + 7min + 8s;
};

// ---- Command-line errors never reach the provider.

struct ErrorCase {
  const char* name;
  std::vector<std::string_view> args;
  const char* message;  // part of what stderr must say
};

class QueryToolOptionErrorTest : public QueryToolTest,
                                 public testing::WithParamInterface<ErrorCase> {};

TEST_P(QueryToolOptionErrorTest, ExitsTwoNamingTheOption) {
  const ErrorCase& c = GetParam();
  const RunResult result = Run(c.args);
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr(c.message));
  EXPECT_THAT(result.err, HasSubstr("corvquery --help"));
  EXPECT_THAT(result.out, IsEmpty());
  const fake::FakeCounts counts = provider_.Counts();
  EXPECT_EQ(counts.open_query_calls + counts.enum_calls, 0);
  EXPECT_THAT(provider_.ConnectCalls(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, QueryToolOptionErrorTest,
    testing::Values(
        ErrorCase{"NoPath", {}, "no counter path given"},
        ErrorCase{"OnlyOptions", {"--samples", "2"}, "no counter path given"},
        ErrorCase{"SamplesMissing", {kCpu, "--samples"}, "option --samples needs a value"},
        ErrorCase{"SamplesZero", {"--samples", "0", kCpu}, "--samples needs a whole number from 1"},
        ErrorCase{"SamplesNegative", {"--samples", "-3", kCpu}, "not \"-3\""},
        ErrorCase{"SamplesText", {"--samples", "many", kCpu}, "not \"many\""},
        ErrorCase{"SamplesFraction", {"--samples", "1.5", kCpu}, "not \"1.5\""},
        ErrorCase{"SamplesTrailing", {"--samples", "3x", kCpu}, "not \"3x\""},
        ErrorCase{"SamplesPlus", {"--samples", "+3", kCpu}, "not \"+3\""},
        ErrorCase{"SamplesOverflow", {"--samples=99999999999", kCpu}, "not \"99999999999\""},
        ErrorCase{"SamplesEmpty", {"--samples=", kCpu}, "not \"\""},
        ErrorCase{"IntervalMissing", {kCpu, "--interval"}, "option --interval needs a value"},
        ErrorCase{
            "IntervalZero", {"--interval", "0", kCpu}, "--interval needs a number of seconds"},
        ErrorCase{"IntervalNegative", {"--interval", "-1", kCpu}, "not \"-1\""},
        ErrorCase{"IntervalText", {"--interval", "soon", kCpu}, "not \"soon\""},
        ErrorCase{"IntervalNaN", {"--interval", "nan", kCpu}, "not \"nan\""},
        ErrorCase{"IntervalInfinite", {"--interval", "inf", kCpu}, "not \"inf\""},
        ErrorCase{"IntervalHuge", {"--interval", "1e300", kCpu}, "not \"1e300\""},
        ErrorCase{"IntervalTooLong", {"--interval", "86400.5", kCpu}, "not \"86400.5\""},
        ErrorCase{"IntervalTooShort", {"--interval", "0.0001", kCpu}, "not \"0.0001\""},
        ErrorCase{"UnknownLong", {"--bogus", kCpu}, "unknown option \"--bogus\""},
        ErrorCase{"UnknownJoined", {"--bogus=1", kCpu}, "unknown option \"--bogus\""},
        ErrorCase{"UnknownShort", {"-s", "3", kCpu}, "unknown option \"-s\""},
        ErrorCase{"ListTwoObjects", {"--list", "Processor", "Memory"}, "at most one object"},
        ErrorCase{"ListWithSamples", {"--list", "--samples", "2"}, "cannot be combined"},
        ErrorCase{"ListWithInterval", {"--interval=1", "--list"}, "cannot be combined"},
        ErrorCase{"MachineWithoutList", {"--machine", "db", kCpu}, "--machine works with --list"},
        ErrorCase{"MachineEmpty", {"--list", "--machine", ""}, "--machine needs a host name"},
        ErrorCase{"MachineBackslashes", {"--list", "--machine", "\\\\"}, "not \"\\\\\""},
        ErrorCase{"MachineWithPath", {"--list", "--machine", "db\\Memory"}, "not \"db\\Memory\""}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST_F(QueryToolTest, HelpPrintsUsageEvenWithoutAProvider) {
  for (const auto& args : {std::vector<std::string_view>{"--help"},
                           std::vector<std::string_view>{kCpu, "--samples", "0", "-h"}}) {
    const RunResult result = RunWith(args, nullptr);
    EXPECT_EQ(result.code, kExitOk);
    EXPECT_THAT(result.out,
                HasSubstr("Usage: corvquery [--samples N] [--interval SECONDS] PATH..."));
    EXPECT_THAT(result.out, HasSubstr("--list"));
    EXPECT_THAT(result.err, IsEmpty());
  }
}

TEST_F(QueryToolTest, NoProviderIsAFailureNotAnEmptyResult) {
  for (const auto& args :
       {std::vector<std::string_view>{kCpu}, std::vector<std::string_view>{"--list"}}) {
    const RunResult result = RunWith(args, nullptr);
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_THAT(result.err, HasSubstr("no counter provider is available"));
    EXPECT_THAT(result.out, IsEmpty());
  }
}

// ---- Paths the provider cannot take.

TEST_F(QueryToolTest, MalformedPathsAreNamedBeforeAnythingRuns) {
  provider_.ScriptValue(kCpu, 1);
  const RunResult result = Run({kCpu, "Memory", "\\Processor(0\\% Processor Time"});
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(
      result.err,
      HasSubstr("bad counter path \"Memory\": the counter path is not well formed (0xC0000BC0)"));
  EXPECT_THAT(result.err, HasSubstr("bad counter path \"\\Processor(0\\% Processor Time\""));
  EXPECT_THAT(result.out, IsEmpty());
  EXPECT_EQ(provider_.Counts().open_query_calls, 0);
}

TEST_F(QueryToolTest, RefusedCountersAreNamedWithTheProviderReason) {
  provider_.ScriptValue(kCpu, 1);
  provider_.ScriptValue("\\System\\% Registry Quota In Use", 1);
  provider_.FailAdd("\\System\\% Registry Quota In Use", perf::kNoObject);
  const RunResult result = Run({kCpu, "\\System\\% Registry Quota In Use", "\\Objects\\Nothing"});
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("cannot add counter \"\\System\\% Registry Quota In Use\": "
                                    "no such object (0xC0000BB8)"));
  EXPECT_THAT(result.err,
              HasSubstr("cannot add counter \"\\Objects\\Nothing\": no such counter (0xC0000BB9)"));
  EXPECT_THAT(result.out, IsEmpty()) << "no header for a run that cannot start";
  const fake::FakeCounts counts = provider_.Counts();
  EXPECT_EQ(counts.collect_calls, 0);
  EXPECT_EQ(counts.queries_closed, 1);
  EXPECT_EQ(counts.LiveCounters(), 0);
}

TEST_F(QueryToolTest, QueryThatCannotOpenIsAFailure) {
  provider_.ScriptValue(kCpu, 1);
  provider_.FailOpenQuery(perf::kMemoryAllocationFailure);
  const RunResult result = Run({kCpu});
  EXPECT_EQ(result.code, kExitFailure);
  EXPECT_THAT(result.err, HasSubstr("cannot open a query: out of memory (0xC0000BBB)"));
  EXPECT_THAT(result.out, IsEmpty());
}

// ---- Machines.

TEST_F(QueryToolTest, ConnectsOncePerDistinctMachineInPathOrder) {
  const char* paths[] = {"\\\\b\\Objects\\Processes", kCpu, "\\\\a\\Objects\\Threads",
                         "\\\\b\\Objects\\Threads", "\\\\B\\Objects\\Threads"};
  for (const char* path : paths) provider_.ScriptValue(path, 1);
  const RunResult result = Run({paths[0], paths[1], paths[2], paths[3], paths[4]});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(provider_.ConnectCalls(), (std::vector<std::string>{"\\\\b", "\\\\a", "\\\\B"}));
}

TEST_F(QueryToolTest, UnreachableMachinesAreNamed) {
  provider_.ScriptValue("\\\\up\\Objects\\Threads", 1);
  provider_.ScriptConnect("\\\\down", perf::kCannotConnectMachine);
  provider_.ScriptConnect("\\\\gone", perf::kNoMachine);
  const RunResult result =
      Run({"\\\\down\\Objects\\Threads", "\\\\up\\Objects\\Threads", "\\\\gone\\Memory\\X"});
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(result.err,
              HasSubstr("cannot connect to \\\\down: cannot connect to the machine (0xC0000BC3)"));
  EXPECT_THAT(result.err, HasSubstr("cannot connect to \\\\gone: the machine is not reachable"));
  EXPECT_EQ(provider_.Counts().open_query_calls, 0);
  EXPECT_THAT(result.out, IsEmpty());
}

TEST_F(QueryToolTest, AnUnreachableMachineIsNamedWithTheProviderReason) {
  provider_.ScriptConnect("\\\\db1:9100", perf::kCannotConnectMachine);
  provider_.ScriptMachineError("\\\\db1:9100", "http://db1:9100/metrics: connection refused");
  const RunResult result = Run({"\\\\db1:9100\\Objects\\Threads"});
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("corvquery: cannot connect to \\\\db1:9100: "
                                    "http://db1:9100/metrics: connection refused\n"));
  EXPECT_THAT(result.err, Not(HasSubstr("0xC0000BC3"))) << "the reason replaces the bare code";
}

TEST_F(QueryToolTest, MachinesAreConnectedInOneCall) {
  provider_.ScriptValue("\\\\a\\Objects\\Threads", 1);
  provider_.ScriptValue("\\\\b\\Objects\\Threads", 2);
  const RunResult result = Run({"\\\\a\\Objects\\Threads", "\\\\b\\Objects\\Threads"});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(provider_.ConnectBatches(),
            (std::vector<std::vector<std::string>>{{"\\\\a", "\\\\b"}}));
}

TEST_F(QueryToolTest, AMissingValueIsExplainedOncePerChangeOfReason) {
  const std::string timed_out = "http://db1:9100/metrics: timed out after 4 s";
  const std::string refused = "http://db1:9100/metrics: connection refused";
  provider_.ScriptReadings(
      kCpu, {Value(1), fake::FailureBecause(timed_out), fake::FailureBecause(timed_out),
             fake::FailureBecause(refused), Value(5), fake::FailureBecause(refused)});
  const RunResult result = Run({"--samples", "5", kCpu});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  const std::string prefix = std::string("corvquery: no value for \"") + kCpu + "\": ";
  EXPECT_EQ(result.err,
            prefix + timed_out + "\n" + prefix + refused + "\n" + prefix + refused + "\n")
      << "told again after a row with a value, never twice in a row";
}

// ---- CSV output.

TEST_F(QueryToolTest, PrintsHeaderAndOneRowPerSample) {
  provider_.ScriptReadings(kCpu, {Failure(), Value(12.5), Value(0.1), Value(100)});
  provider_.ScriptReadings(kProcesses, {Value(101), Value(102), Value(103), Value(104)});
  const RunResult result = Run({"--samples", "3", "--interval", "2", kCpu, kProcesses});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "Time,\\Processor(_Total)\\% Processor Time,\\Objects\\Processes\n"
            "2024-03-05 06:07:10,12.5,102\n"
            "2024-03-05 06:07:12,0.1,103\n"
            "2024-03-05 06:07:14,100,104\n");
  EXPECT_THAT(result.err, IsEmpty());
}

// Rate counters have no value after one collection: the tool collects once, waits, and only then
// prints, so the first row already has a rate.
TEST_F(QueryToolTest, FirstRowComesFromTheSecondCollection) {
  provider_.ScriptReadings(kCpu, {Failure(), Value(7), Value(8)});
  const RunResult result = Run({"--samples=2", "--interval=0.25", kCpu});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "Time,\\Processor(_Total)\\% Processor Time\n"
            "2024-03-05 06:07:08,7\n"
            "2024-03-05 06:07:08,8\n");
  EXPECT_EQ(result.sleeps, (std::vector<std::chrono::microseconds>{250ms, 250ms}));
  EXPECT_EQ(result.collections_before_sleep, (std::vector<int>{1, 2}))
      << "each wait comes between two collections";
  EXPECT_EQ(provider_.Counts().collect_calls, 3);
}

TEST_F(QueryToolTest, DefaultsToOneSampleAfterOneSecond) {
  provider_.ScriptReadings(kCpu, {Failure(), Value(3)});
  const RunResult result = Run({kCpu});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Time,\\Processor(_Total)\\% Processor Time\n2024-03-05 06:07:09,3\n");
  EXPECT_EQ(result.sleeps, (std::vector<std::chrono::microseconds>{1s}));
}

TEST_F(QueryToolTest, UnavailableValuesAreEmptyCells) {
  provider_.ScriptReadings(kCpu, {Value(1), Failure(perf::kInvalidData), Value(3), Value(4)});
  provider_.ScriptReadings(kProcesses, {Value(10), Value(20), Failure(perf::kNoData), Value(40)});
  provider_.ScriptReadings(kMemory, {Value(std::numeric_limits<double>::quiet_NaN())});
  // The fourth collection fails as a whole: every cell of that row is empty.
  provider_.ScriptCollections({{}, {}, {}, {perf::kNoData, {}}});
  const RunResult result = Run({"--samples", "3", kCpu, kProcesses, kMemory});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "Time,\\Processor(_Total)\\% Processor Time,\\Objects\\Processes,"
            "\\Memory\\% Committed Bytes In Use\n"
            "2024-03-05 06:07:09,,20,\n"
            "2024-03-05 06:07:10,3,,\n"
            "2024-03-05 06:07:11,,,\n");
}

TEST_F(QueryToolTest, HeaderQuotesPathsAsCsvRequires) {
  const char* comma = "\\LogicalDisk(/mnt/a,b)\\% Free Space";
  const char* quote = "\\Network Interface(eth \"x\")\\Bytes Total/sec";
  provider_.ScriptValue(comma, 50);
  provider_.ScriptValue(quote, 1e-7);
  const RunResult result = Run({comma, quote});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "Time,\"\\LogicalDisk(/mnt/a,b)\\% Free Space\","
            "\"\\Network Interface(eth \"\"x\"\")\\Bytes Total/sec\"\n"
            "2024-03-05 06:07:09,50,1e-07\n");
}

// A buffer that remembers what had been written at every flush.
class FlushRecorder : public std::stringbuf {
 public:
  std::vector<std::string> flushed;

 protected:
  int sync() override {
    flushed.push_back(str());
    return 0;
  }
};

TEST_F(QueryToolTest, FlushesEveryRowAsItIsPrinted) {
  provider_.ScriptReadings(kCpu, {Value(1), Value(2), Value(3), Value(4)});
  FlushRecorder buffer;
  std::ostream out(&buffer);
  std::ostringstream err;
  QueryToolHooks hooks;
  // What a consumer at the other end of a pipe has seen when the tool starts each wait.
  std::vector<std::string> seen_at_sleep;
  hooks.sleep = [&](std::chrono::microseconds) {
    seen_at_sleep.push_back(buffer.flushed.empty() ? "" : buffer.flushed.back());
  };
  hooks.now = [&] { return clock_; };
  const std::vector<std::string_view> args = {"--samples", "3", kCpu};
  ASSERT_EQ(RunQueryTool(args, &provider_, out, err, hooks), kExitOk) << err.str();

  const std::string header = "Time,\\Processor(_Total)\\% Processor Time\n";
  const std::string row2 = "2024-03-05 06:07:08,2\n";
  const std::string row3 = "2024-03-05 06:07:08,3\n";
  EXPECT_EQ(seen_at_sleep, (std::vector<std::string>{header, header + row2, header + row2 + row3}));
  EXPECT_EQ(buffer.flushed.back(), buffer.str()) << "nothing left unflushed at the end";
}

TEST_F(QueryToolTest, WriteFailureIsReported) {
  provider_.ScriptValue(kCpu, 1);
  std::ostream out(nullptr);  // every write fails
  std::ostringstream err;
  QueryToolHooks hooks;
  hooks.sleep = [](std::chrono::microseconds) {};
  const std::vector<std::string_view> sample = {kCpu};
  EXPECT_EQ(RunQueryTool(sample, &provider_, out, err, hooks), kExitFailure);
  EXPECT_THAT(err.str(), HasSubstr("cannot write the output"));
  EXPECT_EQ(provider_.Counts().collect_calls, 0) << "stops at the header";

  std::ostream list_out(nullptr);
  const std::vector<std::string_view> list = {"--list"};
  EXPECT_EQ(RunQueryTool(list, &provider_, list_out, err, hooks), kExitFailure);
}

// ---- Listing.

TEST_F(QueryToolTest, ListPrintsObjectsInProviderOrder) {
  provider_.ScriptObjects("", {"Processor", "Memory", "Network Interface"});
  const RunResult result = Run({"--list"});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Processor\nMemory\nNetwork Interface\n");
}

TEST_F(QueryToolTest, ListObjectPrintsEveryCounterForEveryInstance) {
  provider_.ScriptObjects("", {"Processor", "Memory"});
  provider_.ScriptObjectItems("", "Processor", {"% Processor Time", "% User Time"},
                              {"0", "1", "_Total"});
  provider_.ScriptObjectItems("", "Memory", {"Available Bytes", "% Committed Bytes In Use"}, {});

  RunResult result = Run({"--list", "processor"});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "\\Processor(0)\\% Processor Time\n"
            "\\Processor(1)\\% Processor Time\n"
            "\\Processor(_Total)\\% Processor Time\n"
            "\\Processor(0)\\% User Time\n"
            "\\Processor(1)\\% User Time\n"
            "\\Processor(_Total)\\% User Time\n")
      << "the provider's spelling of the object, counter by counter";

  result = Run({"--list", "Memory"});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out, "\\Memory\\Available Bytes\n\\Memory\\% Committed Bytes In Use\n");
}

TEST_F(QueryToolTest, ListOnAnotherMachineConnectsAndPrintsItsPaths) {
  provider_.ScriptObjectItems("\\\\db:9100", "Objects", {"Processes"}, {});
  RunResult result = Run({"--list", "Objects", "--machine", "db:9100"});
  ASSERT_EQ(result.code, kExitOk) << result.err;
  EXPECT_EQ(result.out, "\\\\db:9100\\Objects\\Processes\n");
  EXPECT_EQ(provider_.ConnectCalls(), (std::vector<std::string>{"\\\\db:9100"}));

  provider_.ScriptConnect("\\\\down", perf::kCannotConnectMachine);
  result = Run({"--list", "--machine", "down"});
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("cannot connect to \\\\down: cannot connect to the machine"));
  EXPECT_THAT(result.out, IsEmpty());
}

TEST_F(QueryToolTest, ListFailuresCarryTheProviderReason) {
  RunResult result = Run({"--list", "Nonesuch"});
  EXPECT_EQ(result.code, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("cannot list object \"Nonesuch\" of this machine: "
                                    "no such object (0xC0000BB8)"));
  EXPECT_THAT(result.out, IsEmpty());

  provider_.FailObjects("", perf::kNoData);
  result = Run({"--list"});
  EXPECT_EQ(result.code, kExitFailure);
  EXPECT_THAT(result.err, HasSubstr("cannot list the objects of this machine: "
                                    "no data has been collected (0x800007D5)"));
}

}  // namespace
}  // namespace corvane::corvquery
