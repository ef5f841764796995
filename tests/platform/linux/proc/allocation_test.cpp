// Steady-state collection allocates nothing: the collector calls Collect and
// GetFormattedDouble every sample. Global operator new is counted in this program only.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_provider.h"
#include "tests/platform/linux/proc/proc_tree.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace corvane::local {
namespace {

std::vector<std::string> AllCounters(perf::Provider* provider) {
  std::vector<std::string> paths;
  std::vector<std::string> objects;
  EXPECT_EQ(provider->EnumObjects("", &objects), perf::kOk);
  for (const std::string& object : objects) {
    std::vector<std::string> counters;
    std::vector<std::string> instances;
    EXPECT_EQ(provider->EnumObjectItems("", object, &counters, &instances), perf::kOk);
    for (const std::string& counter : counters) {
      if (instances.empty()) paths.push_back("\\" + object + "\\" + counter);
      for (const std::string& instance : instances)
        paths.push_back("\\" + object + "(" + instance + ")\\" + counter);
    }
  }
  return paths;
}

long AllocationsOfSteadyCollections(perf::Provider* provider,
                                    const std::vector<std::string>& paths) {
  std::unique_ptr<perf::Query> query;
  EXPECT_EQ(provider->OpenQuery(&query), perf::kOk);
  std::vector<perf::CounterHandle> handles(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i)
    EXPECT_EQ(query->AddCounter(paths[i], &handles[i]), perf::kOk) << paths[i];
  // The first collections open the files and size the buffers.
  for (int i = 0; i < 3; ++i) query->Collect();
  const long before = g_allocations.load();
  double sum = 0;
  for (int i = 0; i < 20; ++i) {
    query->Collect();
    for (const perf::CounterHandle handle : handles) {
      double value = 0;
      if (query->GetFormattedDouble(handle, &value) == perf::kOk) sum += value;
    }
  }
  const long after = g_allocations.load();
  EXPECT_GE(sum, 0.0);
  return after - before;
}

TEST(SteadyCollection, AllocatesNothingOnThisMachine) {
  const auto provider = MakeLocalProvider();
  const auto paths = AllCounters(provider.get());
  ASSERT_GT(paths.size(), 40u);
  EXPECT_EQ(AllocationsOfSteadyCollections(provider.get(), paths), 0);
}

TEST(SteadyCollection, AllocatesNothingOnACapturedTreeWhoseMountTableIsReadEachTime) {
  testing::ProcTree tree;
  tree.UseSnapshot("snapshot_b");
  tree.SetVolume("/", 1 << 30, 1 << 29);
  const auto provider = MakeLocalProvider(tree.Options());
  const auto paths = AllCounters(provider.get());
  EXPECT_EQ(AllocationsOfSteadyCollections(provider.get(), paths), 0);
}

}  // namespace
}  // namespace corvane::local
