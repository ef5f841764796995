// One provider used from two threads at once, a query per thread, as the collector and the
// catalogue's one-shot reader do; run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"

namespace corvane::local {
namespace {

TEST(LocalProviderThreads, QueriesOnTwoThreadsCollectIndependently) {
  const auto provider = MakeLocalProvider();
  const std::vector<std::string> paths = {"\\Processor(_Total)\\% Processor Time",
                                          "\\Objects\\Processes",
                                          "\\Objects\\Threads",
                                          "\\Memory\\% Committed Bytes In Use",
                                          "\\Paging File(_Total)\\% Usage",
                                          "\\Paging File(_Total)\\% Usage Peak",
                                          "\\LogicalDisk(_Total)\\% Free Space",
                                          "\\PhysicalDisk(_Total)\\% Disk Time",
                                          "\\System\\Context Switches/sec"};
  std::atomic<int> failures{0};
  std::atomic<int> values{0};
  const auto work = [&] {
    std::unique_ptr<perf::Query> query;
    if (provider->OpenQuery(&query) != perf::kOk) {
      ++failures;
      return;
    }
    std::vector<perf::CounterHandle> handles(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (query->AddCounter(paths[i], &handles[i]) != perf::kOk) ++failures;
    }
    for (int round = 0; round < 10; ++round) {
      if (query->Collect() != perf::kOk) ++failures;
      for (std::size_t i = 0; i < paths.size(); ++i) {
        double value = 0;
        const perf::Status status = query->GetFormattedDouble(handles[i], &value);
        if (round > 0 && status != perf::kOk) ++failures;
        if (status == perf::kOk) ++values;
      }
      // More than two clock ticks (USER_HZ 100), so processor time has moved between rounds.
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    // Enumeration from both threads as well, as the counter browser does.
    std::vector<std::string> counters;
    std::vector<std::string> instances;
    if (provider->EnumObjectItems("", "Network Interface", &counters, &instances) != perf::kOk)
      ++failures;
  };
  std::thread first(work);
  std::thread second(work);
  first.join();
  second.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_GE(values.load(), 2 * 9 * static_cast<int>(paths.size()));
}

}  // namespace
}  // namespace corvane::local
