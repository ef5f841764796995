// The fake provider between a collector-like thread and the test thread: delays that a test can
// end, and scripting and observing while another thread collects.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/fake/fake_provider.h"

namespace corvane::fake {
namespace {

using namespace std::chrono_literals;

// Longer than any test may take: a delay that is not released would show as a hang.
constexpr auto kForever = std::chrono::hours(1);
// How long to wait for another thread before calling the test failed.
constexpr auto kPatience = 60s;

template <typename Predicate>
bool WaitUntil(Predicate predicate) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

TEST(FakeProviderDelay, ConnectWaitsUntilReleased) {
  FakeProvider provider;
  provider.ScriptConnect("\\\\slow", perf::kCannotConnectMachine, kForever);
  auto connecting =
      std::async(std::launch::async, [&provider] { return provider.ConnectMachine("\\\\slow"); });

  ASSERT_TRUE(WaitUntil([&] { return provider.Counts().calls_in_delay == 1; }));
  EXPECT_EQ(provider.ConnectCount("\\\\slow"), 1) << "the call is counted as it starts";
  // Other calls go on while one is delayed: the delay does not hold the provider's lock.
  EXPECT_EQ(provider.ConnectMachine("\\\\fast"), perf::kOk);
  EXPECT_EQ(connecting.wait_for(10ms), std::future_status::timeout);

  provider.ReleaseDelays();
  ASSERT_EQ(connecting.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(connecting.get(), perf::kCannotConnectMachine)
      << "the scripted result follows the delay";
  EXPECT_EQ(provider.Counts().calls_in_delay, 0);
}

TEST(FakeProviderDelay, ReleasedProviderNeverDelaysAgain) {
  FakeProvider provider;
  provider.ReleaseDelays();
  provider.ScriptConnect("\\\\slow", perf::kOk, kForever);
  provider.ScriptCollections({{perf::kOk, kForever}});
  auto calls = std::async(std::launch::async, [&provider] {
    std::unique_ptr<perf::Query> query;
    provider.OpenQuery(&query);
    return provider.ConnectMachine("\\\\slow") == perf::kOk && query->Collect() == perf::kOk;
  });
  ASSERT_EQ(calls.wait_for(kPatience), std::future_status::ready);
  EXPECT_TRUE(calls.get());
}

TEST(FakeProviderDelay, ShortDelayEndsOnItsOwn) {
  FakeProvider provider;
  provider.ScriptConnect("\\\\slow", perf::kNoMachine, 20ms);
  auto connecting =
      std::async(std::launch::async, [&provider] { return provider.ConnectMachine("\\\\slow"); });
  ASSERT_EQ(connecting.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(connecting.get(), perf::kNoMachine);
}

TEST(FakeProviderDelay, CollectDelayIsPerCollectionAndReleasable) {
  FakeProvider provider;
  provider.ScriptValue("\\Objects\\Processes", 7);
  provider.ScriptCollections({{perf::kOk, {}}, {perf::kNoData, kForever}, {perf::kOk, {}}});
  auto query_thread = std::async(std::launch::async, [&provider] {
    std::unique_ptr<perf::Query> query;
    provider.OpenQuery(&query);
    perf::CounterHandle handle = perf::kNullCounter;
    query->AddCounter("\\Objects\\Processes", &handle);
    std::vector<perf::Status> statuses;
    for (int i = 0; i < 3; ++i) statuses.push_back(query->Collect());
    return statuses;
  });
  ASSERT_TRUE(WaitUntil([&] { return provider.Counts().calls_in_delay == 1; }));
  EXPECT_EQ(provider.Counts().collect_calls, 2) << "blocked in the second collection";
  provider.ReleaseDelays();
  ASSERT_EQ(query_thread.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(query_thread.get(), (std::vector<perf::Status>{perf::kOk, perf::kNoData, perf::kOk}));
}

// A collector stuck connecting while the test tears down: destroying the provider ends the delay,
// and the call returns without touching the destroyed provider (AddressSanitizer watches).
TEST(FakeProviderDelay, DestroyingTheProviderEndsADelayedConnect) {
  auto provider = std::make_unique<FakeProvider>();
  provider->ScriptConnect("\\\\slow", perf::kCannotConnectMachine, kForever);
  FakeProvider* raw = provider.get();
  auto connecting =
      std::async(std::launch::async, [raw] { return raw->ConnectMachine("\\\\slow"); });
  ASSERT_TRUE(WaitUntil([&] { return provider->Counts().calls_in_delay == 1; }));
  provider.reset();
  ASSERT_EQ(connecting.wait_for(kPatience), std::future_status::ready);
  EXPECT_EQ(connecting.get(), perf::kCannotConnectMachine);
}

// The collector's pattern on one thread, scripting and observation on another. Every read value
// must be one the test scripted, and the counts must add up once both are done.
TEST(FakeProviderThreads, CollectorAndTestThreadShareTheProvider) {
  constexpr int kPasses = 2000;
  const std::vector<std::string> paths = {"\\Objects\\Processes", "\\Objects\\Threads",
                                          "\\\\remote\\Memory\\% Committed Bytes In Use"};
  FakeProvider provider;
  for (const auto& path : paths)
    provider.ScriptReadings(path, {Value(1), Value(2)}, AfterScript::kRepeat);

  std::atomic<bool> done{false};
  std::atomic<bool> test_thread_running{false};
  std::atomic<int> bad_values{0};
  std::thread collector([&] {
    // Start sampling only once the test thread is scripting, so the two really overlap however
    // the scheduler orders them.
    while (!test_thread_running) std::this_thread::yield();
    provider.ConnectMachine("\\\\remote");
    std::unique_ptr<perf::Query> query;
    if (provider.OpenQuery(&query) != perf::kOk) return;
    std::vector<perf::CounterHandle> handles(paths.size(), perf::kNullCounter);
    for (std::size_t i = 0; i < paths.size(); ++i) query->AddCounter(paths[i], &handles[i]);
    for (int pass = 0; pass < kPasses; ++pass) {
      query->Collect();
      for (const auto handle : handles) {
        double value = 0;
        if (query->GetFormattedDouble(handle, &value) != perf::kOk) continue;
        if (value != 1 && value != 2 && value != 10 && value != 20) ++bad_values;
      }
    }
    for (const auto handle : handles) query->RemoveCounter(handle);
    done = true;
  });

  int observations = 0;
  while (!done) {
    provider.ScriptReadings(paths[observations % paths.size()],
                            {Value(observations % 2 ? 10 : 20), Failure()}, AfterScript::kRepeat);
    provider.ScriptConnect("\\\\other", perf::kOk);
    const FakeCounts counts = provider.Counts();
    EXPECT_LE(counts.collect_calls, kPasses);
    ++observations;
    test_thread_running = true;
    std::this_thread::yield();
  }
  collector.join();

  const FakeCounts counts = provider.Counts();
  EXPECT_EQ(counts.collect_calls, kPasses);
  EXPECT_EQ(counts.counters_added, 3);
  EXPECT_EQ(counts.remove_calls, 3);
  EXPECT_EQ(counts.counters_removed, 3);
  EXPECT_EQ(counts.LiveCounters(), 0);
  EXPECT_EQ(counts.queries_closed, 1);
  EXPECT_EQ(provider.ConnectCount("\\\\remote"), 1);
  EXPECT_EQ(bad_values, 0);
  EXPECT_GT(observations, 0);
}

}  // namespace
}  // namespace corvane::fake
