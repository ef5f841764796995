// The collector thread over the scripted provider: start-up, connections, sampling, resample,
// stopping, and the engine's lifetime around its thread.
#include "core/collector.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/collector_control.h"
#include "core/engine.h"
#include "core/sample_schedule.h"
#include "platform/fake/fake_provider.h"
#include "tests/core/engine_test_support.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using chart::ValueState;
using testing_support::AddCounterAxis;
using testing_support::RecordingSink;
using testing_support::RecordingWindow;
using testing_support::SeriesAt;
using testing_support::WaitFor;

constexpr auto kSlow = 20s;  // a connection that only ends when the test releases it

bool CollectorRunning() { return CollectorControl::Instance().Snapshot().running; }

bool AllUnavailable(const Corvane& engine) {
  for (int i = 0; i < engine.GetAxisCount(); ++i) {
    for (const int series : {0, 1, 2})
      if (SeriesAt(engine, i, series).state != ValueState::kNotAvailable) return false;
  }
  return true;
}

class CollectorTest : public testing_support::EngineFixture {
 protected:
  CollectorTest() : EngineFixture(testing_support::kMessageSink | testing_support::kInteractive) {}

  void SetUp() override {
    ASSERT_FALSE(CollectorRunning()) << "an earlier test left a collector running";
    Configure(engine_);
  }

  void TearDown() override {
    fake_.ReleaseDelays();
    EXPECT_TRUE(WaitFor([&] { return engine_.Stop(); })) << "the collector did not stop";
    EXPECT_FALSE(CollectorRunning());
  }

  // Three series, no log, and an interval long enough that only resample requests sample.
  static void Configure(Corvane& engine, int interval = 120) {
    testing_support::StartEmpty(engine);
    CorvaneSettings s = engine.GetSettings();
    s.Interval = interval;
    engine.SetSettings(s);
  }

  // Asks for one more sample and waits until the engine has it.
  void Resample(Corvane& engine) {
    const int before = engine.GetSampleCount();
    engine.RequestResample();
    ASSERT_TRUE(WaitFor([&] { return engine.GetSampleCount() > before; }))
        << "no sample after a resample request";
  }

  void WaitForFirstSample(Corvane& engine) {
    ASSERT_TRUE(WaitFor([&] { return engine.GetSampleCount() >= 1; })) << "no first sample";
  }
};

TEST_F(CollectorTest, SamplesReachTheSeriesAndTheWindow) {
  // The first collection only primes the rate counters; readings start with the second.
  fake_.ScriptReadings("\\A\\x",
                       {fake::Value(999), fake::Value(10), fake::Value(20), fake::Value(30)});
  fake_.ScriptValue("\\A\\y", 50);
  ASSERT_TRUE(AddCounterAxis(engine_, "x", "\\A\\x"));
  ASSERT_TRUE(AddCounterAxis(engine_, "y", "\\A\\y", 100, 40));

  ASSERT_TRUE(engine_.Start(&window_, true));
  WaitForFirstSample(engine_);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kCurrentSeries).value, 10);
  Resample(engine_);
  Resample(engine_);
  EXPECT_EQ(engine_.GetSampleCount(), 3);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kCurrentSeries).value, 30);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kAverageSeries).value, 20);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kMaxSeries).value, 30);
  EXPECT_EQ(SeriesAt(engine_, 1, Corvane::kCurrentSeries).state, ValueState::kCritical);
  EXPECT_EQ(engine_.GetStatusText(), "");

  // One erasing repaint at start, one after every sample.
  EXPECT_TRUE(WaitFor([&] { return window_.Count() == 4; }));
  EXPECT_TRUE(window_.AllErase());
  EXPECT_EQ(engine_.GetWindow(), &window_);

  const auto flags = CollectorControl::Instance().Snapshot();
  EXPECT_TRUE(flags.running);
  EXPECT_FALSE(flags.starting);
  EXPECT_EQ(flags.engine, &engine_);

  ASSERT_TRUE(engine_.Stop());
  EXPECT_FALSE(CollectorRunning());
  EXPECT_TRUE(AllUnavailable(engine_));
  const fake::FakeCounts counts = fake_.Counts();
  EXPECT_EQ(counts.collect_calls, 4);
  EXPECT_EQ(counts.QueriesOpen(), 0);
  EXPECT_EQ(counts.LiveCounters(), 0);
  EXPECT_EQ(counts.remove_calls, 2);
}

TEST_F(CollectorTest, OneCollectorPerProcess) {
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(&window_, false));
  EXPECT_FALSE(engine_.Start(&window_, false));
  // Stop refuses while the collector is still starting; wait until it has begun.
  ASSERT_TRUE(WaitFor([] { return !CollectorControl::Instance().Snapshot().starting; }));
  fake::FakeProvider other_fake;
  Corvane other(other_fake, false);
  EXPECT_FALSE(other.Start(nullptr, false));
  EXPECT_EQ(CollectorControl::Instance().Snapshot().engine, &engine_);
  // The other engine has no collector to stop, and stopping it leaves this one alone.
  EXPECT_TRUE(other.Stop());
  EXPECT_TRUE(CollectorRunning());
  EXPECT_EQ(other_fake.Counts().open_query_calls, 0);

  ASSERT_TRUE(engine_.Stop());
  EXPECT_TRUE(engine_.Stop());  // nothing runs any more
  // Once stopped, a collector may start again, for either engine.
  ASSERT_TRUE(other.Start(nullptr, false));
  WaitForFirstSample(other);
  ASSERT_TRUE(other.Stop());
}

TEST_F(CollectorTest, StopRefusesWhileTheCollectorIsStarting) {
  // Held in its starting state: the control as Start leaves it before the thread's first step.
  CollectorControl& control = CollectorControl::Instance();
  ASSERT_TRUE(control.BeginStart(&engine_, false));
  EXPECT_FALSE(engine_.Stop());
  EXPECT_FALSE(engine_.Start(&window_, false));
  const auto flags = control.Snapshot();
  EXPECT_TRUE(flags.running);
  EXPECT_TRUE(flags.starting);
  EXPECT_FALSE(flags.stop_requested);
  control.AbandonStart();
  EXPECT_TRUE(engine_.Stop());
}

TEST_F(CollectorTest, FailedReadingsAreUnavailableForThatPassOnly) {
  fake_.ScriptReadings("\\A\\x", {fake::Value(0), fake::Value(5), fake::Failure(), fake::Value(7)});
  fake_.ScriptValue("\\A\\y", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  AddCounterAxis(engine_, "y", "\\A\\y");
  AddCounterAxis(engine_, "never added", "\\A\\unscripted");
  // Collection 5 fails as a whole.
  fake_.ScriptCollections({{}, {}, {}, {}, fake::CollectStep{perf::kNoData}, {}});
  ASSERT_TRUE(engine_.Start(nullptr, false));
  WaitForFirstSample(engine_);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kCurrentSeries).value, 5);
  EXPECT_EQ(SeriesAt(engine_, 2, Corvane::kCurrentSeries).state, ValueState::kNotAvailable);

  Resample(engine_);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kCurrentSeries).state, ValueState::kNotAvailable);
  EXPECT_EQ(SeriesAt(engine_, 1, Corvane::kCurrentSeries).value, 1);

  Resample(engine_);  // the skipped slot keeps 0: (5 + 0 + 7) / 3
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kCurrentSeries).value, 7);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kAverageSeries).value, 4);
  EXPECT_EQ(SeriesAt(engine_, 0, Corvane::kMaxSeries).value, 7);

  Resample(engine_);  // the failed collection
  EXPECT_EQ(SeriesAt(engine_, 1, Corvane::kCurrentSeries).state, ValueState::kNotAvailable);
  Resample(engine_);
  EXPECT_EQ(SeriesAt(engine_, 1, Corvane::kCurrentSeries).state, ValueState::kNormal);
  EXPECT_EQ(SeriesAt(engine_, 2, Corvane::kCurrentSeries).state, ValueState::kNotAvailable);

  ASSERT_TRUE(engine_.Stop());
  const fake::FakeCounts counts = fake_.Counts();
  EXPECT_EQ(counts.remove_calls, 3);  // null handles are removed too
  EXPECT_EQ(counts.null_removes, 1);
}

TEST_F(CollectorTest, ConnectsOncePerDistinctMachine) {
  const std::vector<std::string> paths = {
      "\\\\a\\X\\c1", "\\\\b\\X\\c2", "\\\\a\\X\\c3", "\\X\\c4",
      "\\\\A\\X\\c5",  // machine parts compare exactly: another machine
      "\\\\noThird",   // two backslashes and no third: no machine part, added as it is
  };
  for (std::size_t i = 0; i < paths.size(); ++i) {
    fake_.ScriptValue(paths[i], static_cast<double>(i));
    AddCounterAxis(engine_, "c" + std::to_string(i), paths[i]);
  }
  ASSERT_TRUE(engine_.Start(&window_, false));
  WaitForFirstSample(engine_);
  EXPECT_EQ(fake_.ConnectCalls(), (std::vector<std::string>{"\\\\a", "\\\\b", "\\\\A"}));
  EXPECT_EQ(fake_.AddedPaths(), paths);
  EXPECT_EQ(fake_.Counts().open_query_calls, 1);
  EXPECT_TRUE(messages_.Messages().empty());
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(SeriesAt(engine_, i, Corvane::kCurrentSeries).value, i) << i;
}

TEST_F(CollectorTest, AllMachinesAreConnectedInOneCall) {
  // Eight machines that take long to answer: side by side they cost the longest delay once.
  std::vector<std::string> machines;
  for (int i = 0; i < 8; ++i) {
    machines.push_back("\\\\m" + std::to_string(i));
    fake_.ScriptConnect(machines.back(), perf::kCannotConnectMachine, 50ms);
    AddCounterAxis(engine_, machines.back(), machines.back() + "\\X\\1");
  }
  ASSERT_TRUE(engine_.Start(&window_, false));
  WaitForFirstSample(engine_);
  EXPECT_EQ(fake_.ConnectBatches(), (std::vector<std::vector<std::string>>{machines}));
  const std::vector<EngineMessage> messages = messages_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.ends_with("\\\\m6\n\\\\m7")) << messages[0].text;
}

TEST_F(CollectorTest, UnreachableMachinesAreListedOnce) {
  fake_.ScriptConnect("\\\\bad", perf::kCannotConnectMachine);
  fake_.ScriptConnect("\\\\worse", perf::kNoMachine);
  const std::vector<std::string> paths = {"\\\\bad\\X\\1", "\\\\good\\X\\2", "\\\\bad\\X\\3",
                                          "\\\\worse\\X\\4", "\\\\bad\\X\\5"};
  for (const std::string& path : paths) {
    fake_.ScriptValue(path, 3);
    AddCounterAxis(engine_, path, path);
  }
  ASSERT_TRUE(engine_.Start(&window_, false));
  WaitForFirstSample(engine_);

  EXPECT_EQ(fake_.ConnectCount("\\\\bad"), 1);
  EXPECT_EQ(fake_.ConnectCount("\\\\worse"), 1);
  // The first axis naming an unreachable machine gets no counter; later ones keep their path.
  EXPECT_EQ(fake_.AddedPaths(),
            (std::vector<std::string>{"", "\\\\good\\X\\2", "\\\\bad\\X\\3", "", "\\\\bad\\X\\5"}));
  const std::vector<EngineMessage> messages = messages_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].string_id, 61213);
  EXPECT_EQ(messages[0].text,
            "Connection failed. For more information\npress Help button. Unreachable hosts:\n"
            "\\\\bad\n\\\\worse");
  EXPECT_EQ(messages[0].icon, MessageIcon::kError);
  EXPECT_TRUE(messages[0].system_modal);
  EXPECT_EQ(messages[0].help_context, 200);

  EXPECT_EQ(SeriesAt(engine_, 1, Corvane::kCurrentSeries).value, 3);
  for (const int i : {0, 2, 3, 4})
    EXPECT_EQ(SeriesAt(engine_, i, Corvane::kCurrentSeries).state, ValueState::kNotAvailable) << i;
}

TEST_F(CollectorTest, SilentEnginesShowNoMessages) {
  fake_.ScriptConnect("\\\\bad", perf::kCannotConnectMachine);
  fake_.FailOpenQuery(perf::kMemoryAllocationFailure);
  RecordingSink sink;
  Corvane silent(fake_, false, EngineHost{&sink, nullptr});
  Configure(silent);
  AddCounterAxis(silent, "x", "\\\\bad\\X\\1");
  ASSERT_TRUE(silent.Start(nullptr, false));
  // Without a query every reading fails, and sampling goes on.
  WaitForFirstSample(silent);
  Resample(silent);
  EXPECT_TRUE(AllUnavailable(silent));
  EXPECT_EQ(silent.GetStatusText(), "");
  ASSERT_TRUE(silent.Stop());
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_EQ(fake_.ConnectCount("\\\\bad"), 1);
}

TEST_F(CollectorTest, InteractiveEngineWithoutAQueryTellsAndEnds) {
  fake_.FailOpenQuery(perf::kMemoryAllocationFailure);
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(&window_, false));
  ASSERT_TRUE(WaitFor([] { return !CollectorRunning(); }));
  const std::vector<EngineMessage> messages = messages_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Cannot create a query for performance data.");
  EXPECT_EQ(messages[0].help_context, 0);
  EXPECT_EQ(engine_.GetSampleCount(), 0);
  EXPECT_TRUE(AllUnavailable(engine_));
  EXPECT_TRUE(engine_.Stop());
}

// Stop waits out its limit for a collector stuck in a connection, then gives up; the
// collector ends by itself once the connection returns. `limit`: the engine's own when empty.
void ExpectStopGivesUpOnASlowConnection(fake::FakeProvider& fake, RecordingSink& sink,
                                        RecordingWindow& window,
                                        std::optional<std::chrono::milliseconds> limit) {
  fake.ScriptConnect("\\\\slow", perf::kOk, kSlow);
  fake.ScriptValue("\\\\slow\\X\\1", 4);
  auto engine = std::make_unique<Corvane>(fake, true, EngineHost{&sink, nullptr});
  if (limit) engine->SetStopLimit(*limit);
  engine->SetUpNewProfile();
  engine->RemoveAllAxes();
  CorvaneSettings settings = engine->GetSettings();
  settings.LogMode = log_mode::kOff;
  settings.Interval = 120;
  engine->SetSettings(settings);
  AddCounterAxis(*engine, "x", "\\\\slow\\X\\1");
  ASSERT_TRUE(engine->Start(&window, false));
  ASSERT_TRUE(WaitFor([&] { return fake.Counts().calls_in_delay == 1; }));
  EXPECT_EQ(engine->GetStatusText(),
            "Connecting to \\\\slow\n\nThis may take some time.\n\nPlease wait...");
  EXPECT_GE(window.Count(), 1);

  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(engine->Stop());
  EXPECT_GE(std::chrono::steady_clock::now() - begin, limit.value_or(5000ms));
  // The collector runs on; a stop is pending, so another Stop and a Start are refused.
  EXPECT_TRUE(CollectorRunning());
  EXPECT_FALSE(engine->Stop());
  EXPECT_FALSE(engine->Start(&window, false));

  // Once the connection returns, the pending stop ends the collector without a sample, and
  // the connection notice does not stay behind.
  fake.ReleaseDelays();
  ASSERT_TRUE(WaitFor([] { return !CollectorRunning(); }));
  EXPECT_EQ(engine->GetStatusText(), "");
  EXPECT_TRUE(AllUnavailable(*engine));
  EXPECT_TRUE(engine->Stop());  // reclaims the thread that ran on
  const fake::FakeCounts counts = fake.Counts();
  EXPECT_EQ(counts.collect_calls, 0);
  EXPECT_EQ(counts.QueriesOpen(), 0);
  EXPECT_EQ(counts.LiveCounters(), 0);
}

TEST_F(CollectorTest, StopGivesUpOnASlowConnectionAfterItsLimit) {
  ExpectStopGivesUpOnASlowConnection(fake_, messages_, window_, 200ms);
}

// The same with the engine's own five seconds, in real time (labelled slow).
TEST_F(CollectorTest, StopGivesUpOnASlowConnectionAfterFiveSeconds) {
  ExpectStopGivesUpOnASlowConnection(fake_, messages_, window_, std::nullopt);
}

TEST_F(CollectorTest, WithoutAWindowNoStatusTextIsShown) {
  fake_.ScriptConnect("\\\\slow", perf::kOk, kSlow);
  fake_.ScriptValue("\\\\slow\\X\\1", 4);
  Corvane service(fake_, false);
  Configure(service);
  AddCounterAxis(service, "x", "\\\\slow\\X\\1");
  ASSERT_TRUE(service.Start(nullptr, true));
  ASSERT_TRUE(WaitFor([&] { return fake_.Counts().calls_in_delay == 1; }));
  EXPECT_EQ(service.GetStatusText(), "");
  fake_.ReleaseDelays();
  WaitForFirstSample(service);
  EXPECT_EQ(SeriesAt(service, 0, Corvane::kCurrentSeries).value, 4);
  ASSERT_TRUE(service.Stop());
}

TEST_F(CollectorTest, DestroyingTheEngineWaitsForItsCollector) {
  fake_.ScriptConnect("\\\\slow", perf::kOk, 300ms);
  fake_.ScriptValue("\\\\slow\\X\\1", 4);
  for (const bool wait_for_connect : {true, false}) {
    {
      auto engine = std::make_unique<Corvane>(fake_, false);
      Configure(*engine);
      AddCounterAxis(*engine, "x", "\\\\slow\\X\\1");
      ASSERT_TRUE(engine->Start(nullptr, false));
      // Destroyed in the middle of the connection, or right after Start (still starting).
      if (wait_for_connect) {
        ASSERT_TRUE(WaitFor([&] { return fake_.Counts().calls_in_delay == 1; }));
      }
      engine.reset();  // returns only once the thread is gone
      EXPECT_FALSE(CollectorRunning()) << wait_for_connect;
      EXPECT_EQ(fake_.Counts().calls_in_delay, 0);
      EXPECT_EQ(fake_.Counts().QueriesOpen(), 0);
    }
  }
}

TEST_F(CollectorTest, ResampleDuringALongIntervalTakesOneSample) {
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(nullptr, false));
  WaitForFirstSample(engine_);
  Resample(engine_);
  // One request, one sample: the 120-second interval starts again from there.
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(engine_.GetSampleCount(), 2);
  EXPECT_EQ(fake_.Counts().collect_calls, 3);
}

TEST_F(CollectorTest, AShorterIntervalAppliesWithoutWaitingOutTheLongOne) {
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(nullptr, false));
  WaitForFirstSample(engine_);
  CorvaneSettings s = engine_.GetSettings();
  s.Interval = 1;
  engine_.SetSettings(s);
  EXPECT_TRUE(WaitFor([&] { return engine_.GetSampleCount() >= 2; }, 5s));
}

TEST_F(CollectorTest, TheIntervalRunsOnTheCollectorsClock) {
  std::atomic<std::uint32_t> now{5000};
  engine_.SetCollectorClock([&now] { return now.load(); });
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(nullptr, false));
  ASSERT_TRUE(WaitFor([&] { return fake_.Counts().collect_calls == 1; })) << "no priming";
  // The first readings come one pass after the priming collection, by this clock.
  now += SampleSchedule::kPassMs;
  CollectorControl::Instance().Wake();
  WaitForFirstSample(engine_);
  EXPECT_EQ(engine_.GetSampleCount(), 1);
  // 120 s on this clock, and no more: the second sample comes at the first pass after them,
  // long before 120 real seconds.
  now += 120'000;
  CollectorControl::Instance().Wake();
  now += SampleSchedule::kPassMs;
  CollectorControl::Instance().Wake();
  EXPECT_TRUE(WaitFor([&] { return engine_.GetSampleCount() == 2; }));
  EXPECT_EQ(fake_.Counts().collect_calls, 3);
}

// In real time (labelled slow), with the engine's own clock.
TEST_F(CollectorTest, SamplesAreNeverCloserThanTheInterval) {
  Configure(engine_, 1);
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(&window_, false));
  ASSERT_TRUE(WaitFor([&] { return window_.Count() >= 3; }));
  ASSERT_TRUE(engine_.Stop());
  const auto times = window_.Times();
  for (std::size_t i = 1; i < times.size(); ++i) {
    // Passes that sample are more than 1000 ms apart; the repaint follows each within the
    // sample's own work.
    EXPECT_GE(times[i] - times[i - 1], 990ms) << i;
  }
}

TEST_F(CollectorTest, AProfileWithoutCountersStillSamples) {
  ASSERT_TRUE(engine_.Start(&window_, false));
  WaitForFirstSample(engine_);
  Resample(engine_);
  EXPECT_EQ(engine_.GetSampleCount(), 2);
  EXPECT_EQ(fake_.Counts().add_calls, 0);
}

TEST_F(CollectorTest, AForgottenWindowIsNoLongerInvalidated) {
  fake_.ScriptValue("\\A\\x", 1);
  AddCounterAxis(engine_, "x", "\\A\\x");
  ASSERT_TRUE(engine_.Start(&window_, false));
  WaitForFirstSample(engine_);
  ASSERT_TRUE(WaitFor([&] { return window_.Count() == 1; }));
  engine_.ClearWindow();
  Resample(engine_);
  Resample(engine_);
  EXPECT_EQ(window_.Count(), 1);
}

TEST_F(CollectorTest, EverySampleReachesTheActivityLog) {
  testing_support::TempDir dir;
  fake_.ScriptReadings("\\A\\x",
                       {fake::Value(0), fake::Value(1.5), fake::Failure(), fake::Value(2)});
  AddCounterAxis(engine_, "x,y", "\\A\\x");
  CorvaneSettings s = engine_.GetSettings();
  s.LogMode = log_mode::kEveryUpdate;
  s.LogFormat = 1;
  engine_.SetSettings(s);
  engine_.SetLogLocation(dir.path() / "Run.crvn", false);
  ASSERT_TRUE(engine_.Start(nullptr, false));
  WaitForFirstSample(engine_);
  Resample(engine_);
  Resample(engine_);
  ASSERT_TRUE(engine_.Stop());

  std::ifstream in(dir.path() / "Logs" / "Run-log.csv", std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 7u) << engine_.GetLogError();
  EXPECT_EQ(lines[0], "Corvane Log: Run");
  EXPECT_EQ(lines[1], "");
  EXPECT_TRUE(lines[2].starts_with("Started on ")) << lines[2];
  EXPECT_EQ(lines[3], "Date,Time,xy");  // commas leave axis names in the CSV heading
  EXPECT_TRUE(lines[4].ends_with(",1.50")) << lines[4];
  EXPECT_TRUE(lines[5].ends_with(",N/A")) << lines[5];
  EXPECT_TRUE(lines[6].ends_with(",2.00")) << lines[6];
}

}  // namespace
}  // namespace corvane
