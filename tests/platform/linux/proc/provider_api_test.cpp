// The provider's operations apart from collecting: which paths it accepts and with which
// status it refuses the others, machines, name lookup, handles and enumeration.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"
#include "tests/platform/linux/proc/proc_tree.h"
#include "tests/support/case_name.h"

namespace corvane::local {
namespace {

using testing::ProcTree;

struct PathCase {
  const char* path;
  perf::Status status;
};

class AddCounterTest : public ::testing::TestWithParam<PathCase> {
 protected:
  // Adding reads nothing from the kernel.
  std::unique_ptr<perf::Provider> provider_ = MakeLocalProvider();
};

TEST_P(AddCounterTest, AcceptsOrRefusesWithItsStatus) {
  const PathCase& c = GetParam();
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider_->OpenQuery(&query), perf::kOk);
  perf::CounterHandle handle = 12345;
  EXPECT_EQ(query->AddCounter(c.path, &handle), c.status) << c.path;
  if (c.status == perf::kOk) {
    EXPECT_NE(handle, perf::kNullCounter);
  } else {
    EXPECT_EQ(handle, perf::kNullCounter) << "a refused counter keeps the null handle";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AddCounterTest,
    ::testing::Values(
        PathCase{"\\Processor(_Total)\\% Processor Time", perf::kOk},
        PathCase{"\\238(_Total)\\6", perf::kOk},
        PathCase{"\\memory\\% COMMITTED BYTES IN USE", perf::kOk},
        PathCase{"\\Network Interface(eth0)\\Bytes Total/sec", perf::kOk},
        // An instance the kernel does not list now may appear later (hot-plug, mount).
        PathCase{"\\LogicalDisk(/media/stick)\\% Free Space", perf::kOk},
        PathCase{"\\System\\System Up Time", perf::kOk},
        // No Linux source: refused rather than approximated.
        PathCase{"\\System\\% Registry Quota In Use", perf::kNoCounter},
        PathCase{"\\2\\1350", perf::kNoCounter},
        PathCase{"\\Server\\Server Sessions", perf::kNoObject},
        PathCase{"\\330\\314", perf::kNoObject},
        // Remote machines belong to another provider.
        PathCase{"\\\\web01\\Memory\\Available Bytes", perf::kNoMachine},
        PathCase{"\\\\web01:9100\\Processor(_Total)\\% Processor Time", perf::kNoMachine},
        PathCase{"\\Memory\\No Such Counter", perf::kNoCounter},
        PathCase{"\\Processor(0)\\Available Bytes", perf::kNoCounter},
        PathCase{"\\Teapot\\Temperature", perf::kNoObject}, PathCase{"\\99999\\6", perf::kNoObject},
        PathCase{"\\238(_Total)\\99999", perf::kNoCounter},
        PathCase{"\\Memory(0)\\Available Bytes", perf::kNoInstance},
        PathCase{"\\Processor\\% Processor Time", perf::kNoInstance},
        PathCase{"\\Processor()\\% Processor Time", perf::kNoInstance},
        PathCase{"\\Processor(*)\\% Processor Time", perf::kNoInstance},
        PathCase{"", perf::kBadCounterName},
        PathCase{"Memory\\Available Bytes", perf::kBadCounterName},
        PathCase{"\\Processor(0\\% Processor Time", perf::kBadCounterName},
        PathCase{"\\Memory\\", perf::kBadCounterName}),
    [](const ::testing::TestParamInfo<PathCase>& info) {
      return test_support::NumberedCaseName(info, info.param.path);
    });

TEST(LocalProvider, ConnectsOnlyTheLocalMachine) {
  const auto provider = MakeLocalProvider();
  EXPECT_EQ(provider->ConnectMachine(""), perf::kOk);
  EXPECT_EQ(provider->ConnectMachine("\\\\web01"), perf::kCannotConnectMachine);
  EXPECT_EQ(provider->ConnectMachine("\\\\localhost"), perf::kCannotConnectMachine);
}

TEST(LocalProvider, LooksUpEnglishNamesByIndex) {
  const auto provider = MakeLocalProvider();
  std::string name = "unchanged";
  ASSERT_EQ(provider->LookupNameByIndex("", 238, &name), perf::kOk);
  EXPECT_EQ(name, "Processor");
  ASSERT_EQ(provider->LookupNameByIndex("", 1406, &name), perf::kOk);
  EXPECT_EQ(name, "% Committed Bytes In Use");
  name = "unchanged";
  EXPECT_EQ(provider->LookupNameByIndex("", 1, &name), perf::kStringNotFound);
  EXPECT_EQ(provider->LookupNameByIndex("\\\\web01", 238, &name), perf::kNoMachine);
  EXPECT_EQ(name, "unchanged");
}

TEST(LocalProvider, EnumeratesItsObjectsAndTheirCounters) {
  const auto provider = MakeLocalProvider();
  std::vector<std::string> objects;
  ASSERT_EQ(provider->EnumObjects("", &objects), perf::kOk);
  EXPECT_EQ(objects,
            (std::vector<std::string>{"Processor", "Memory", "Paging File", "LogicalDisk",
                                      "PhysicalDisk", "Network Interface", "System", "Objects"}));
  EXPECT_EQ(provider->EnumObjects("\\\\web01", &objects), perf::kNoMachine);

  std::vector<std::string> counters;
  std::vector<std::string> instances;
  ASSERT_EQ(provider->EnumObjectItems("", "System", &counters, &instances), perf::kOk);
  EXPECT_EQ(counters, (std::vector<std::string>{"Processes", "Threads", "Context Switches/sec",
                                                "Processor Queue Length", "System Up Time"}));
  EXPECT_TRUE(instances.empty());
  ASSERT_EQ(provider->EnumObjectItems("", "physicaldisk", &counters, &instances), perf::kOk);
  EXPECT_EQ(counters.front(), "% Disk Time");
  EXPECT_EQ(instances.back(), "_Total");
  EXPECT_EQ(provider->EnumObjectItems("", "Server", &counters, &instances), perf::kNoObject);
  EXPECT_EQ(provider->EnumObjectItems("", "330", &counters, &instances), perf::kNoObject);
  EXPECT_EQ(provider->EnumObjectItems("\\\\web01", "Processor", &counters, &instances),
            perf::kNoMachine);
}

TEST(LocalProvider, EnumerationFailsWhenTheKernelsListCannotBeRead) {
  LocalProviderOptions options;
  options.proc_root = "/nonexistent/corvane/proc";
  const auto provider = MakeLocalProvider(options);
  std::vector<std::string> counters;
  std::vector<std::string> instances{"stale"};
  EXPECT_EQ(provider->EnumObjectItems("", "Processor", &counters, &instances), perf::kInvalidData);
  EXPECT_TRUE(instances.empty());
}

TEST(LocalQuery, HandlesAndCollectionsWithoutCounters) {
  ProcTree tree;
  tree.UseSnapshot("snapshot_a");
  const auto provider = MakeLocalProvider(tree.Options());
  std::unique_ptr<perf::Query> query;
  ASSERT_EQ(provider->OpenQuery(&query), perf::kOk);
  EXPECT_EQ(query->Collect(), perf::kNoData) << "nothing to collect";

  perf::CounterHandle threads = perf::kNullCounter;
  ASSERT_EQ(query->AddCounter("\\Objects\\Threads", &threads), perf::kOk);
  double value = -1;
  EXPECT_EQ(query->GetFormattedDouble(threads, &value), perf::kNoData) << "not collected yet";
  EXPECT_EQ(query->GetFormattedDouble(perf::kNullCounter, &value), perf::kInvalidHandle);
  EXPECT_EQ(query->GetFormattedDouble(threads + 1, &value), perf::kInvalidHandle);
  EXPECT_EQ(query->AddCounter("\\Objects\\Threads", nullptr), perf::kInvalidArgument);

  ASSERT_EQ(query->Collect(), perf::kOk);
  ASSERT_EQ(query->GetFormattedDouble(threads, &value), perf::kOk);
  EXPECT_EQ(value, 150.0);

  ASSERT_EQ(query->RemoveCounter(threads), perf::kOk);
  EXPECT_EQ(query->RemoveCounter(threads), perf::kInvalidHandle);
  EXPECT_EQ(query->GetFormattedDouble(threads, &value), perf::kInvalidHandle);
  EXPECT_EQ(query->Collect(), perf::kNoData);

  perf::CounterHandle processes = perf::kNullCounter;
  ASSERT_EQ(query->AddCounter("\\Objects\\Processes", &processes), perf::kOk);
  EXPECT_NE(processes, threads) << "a removed counter's handle is never given out again";
}

}  // namespace
}  // namespace corvane::local
