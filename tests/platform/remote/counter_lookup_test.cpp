// A remote counter path checked against a machine's page as both queries check it before
// taking the counter: each way a path fails, with its status, and what a path that passes
// leads to.
#include "platform/remote/counter_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/remote/exporter_page.h"

namespace corvane::remote {
namespace {

constexpr const char* kPage =
    "node_cpu_seconds_total{cpu=\"0\",mode=\"idle\"} 10\n"
    "node_cpu_seconds_total{cpu=\"0\",mode=\"user\"} 5\n"
    "node_cpu_seconds_total{cpu=\"1\",mode=\"idle\"} 12\n"
    "node_cpu_seconds_total{cpu=\"1\",mode=\"user\"} 3\n";

TEST(CounterLookup, RefusesEachWrongPathWithItsStatus) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(kPage));
  std::vector<std::string> asked;
  const FindMachine find = [&](std::string_view machine, MachinePage* found) {
    asked.emplace_back(machine);
    if (machine == "\\\\down") return perf::kCannotConnectMachine;
    *found = MachinePage{ExporterKind::kNode, &page};
    return perf::kOk;
  };
  const struct {
    const char* path;
    perf::Status status;
    bool asks;  // whether the machine is looked for
  } cases[] = {
      {"no path", perf::kBadCounterName, false},
      {"\\Processor(_Total)\\% Processor Time", perf::kNoMachine, false},
      {"\\\\web\\999999(_Total)\\6", perf::kNoCounter, false},
      {"\\\\down\\Processor(_Total)\\% Processor Time", perf::kCannotConnectMachine, true},
      {"\\\\web\\Nonsense(_Total)\\% Processor Time", perf::kNoObject, true},
      {"\\\\web\\Processor(_Total)\\Nonsense", perf::kNoCounter, true},
      // A counter of the table whose series this page lacks.
      {"\\\\web\\Memory\\Available Bytes", perf::kNoCounter, true},
      {"\\\\web\\Processor(7)\\% Processor Time", perf::kNoInstance, true},
      {"\\\\web\\Processor(1)\\% Processor Time", perf::kOk, true},
      {"\\\\web\\238(_total)\\6", perf::kOk, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    asked.clear();
    CounterLookup lookup;
    EXPECT_EQ(LookUpCounter(c.path, find, &lookup), c.status);
    EXPECT_EQ(asked.size(), c.asks ? 1u : 0u);
    if (c.status != perf::kOk) continue;
    EXPECT_EQ(lookup.path.machine, "\\\\web");
    EXPECT_EQ(lookup.path.object, "Processor");
    EXPECT_EQ(lookup.path.counter, "% Processor Time");
    ASSERT_NE(lookup.object, nullptr);
    ASSERT_NE(lookup.definition, nullptr);
    EXPECT_EQ(lookup.definition->name, "% Processor Time");
    EXPECT_EQ(lookup.machine.page, &page);
  }
}

}  // namespace
}  // namespace corvane::remote
