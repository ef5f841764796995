// Parsing one node_exporter page recorded on a Debian 12 machine (57 KB, 507 samples).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

#include "platform/remote/exporter_page.h"
#include "platform/remote/prometheus_parser.h"

// Every allocation of this program is counted, to show that a page parsed and indexed again
// into the same storage allocates nothing.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// The recorded pages live with the tests' fixtures; CORVANE_FIXTURES_DIR in the environment
// points elsewhere.
std::string FixturesDir() {
  if (const char* dir = std::getenv("CORVANE_FIXTURES_DIR")) return dir;
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../tests/fixtures";
}

std::string ReadFixture(const char* name) {
  std::ifstream in(FixturesDir() + "/exporters/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The streaming parser alone: every sample with its labels and value.
void BM_ParseNodeExporterPage(benchmark::State& state) {
  const std::string page = ReadFixture("node_exporter_1.5.0.prom");
  if (page.empty()) {
    state.SkipWithError("fixture node_exporter_1.5.0.prom not found");
    return;
  }
  std::size_t samples = 0;
  const long before = allocations.load();
  for (auto _ : state) {
    corvane::remote::ExpositionParser parser(page);
    corvane::remote::Sample sample;
    samples = 0;
    double sum = 0;
    while (parser.Next(&sample) == corvane::remote::ExpositionParser::Result::kSample) {
      ++samples;
      sum += sample.value + static_cast<double>(sample.labels.size());
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["samples"] = static_cast<double>(samples);
  state.counters["allocations_per_page"] =
      static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParseNodeExporterPage);

// Parsing and indexing by metric name, as every scrape does; storage is reused between scrapes.
void BM_IndexNodeExporterPage(benchmark::State& state) {
  corvane::remote::ExporterPage page;
  page.text() = ReadFixture("node_exporter_1.5.0.prom");
  if (page.text().empty()) {
    state.SkipWithError("fixture node_exporter_1.5.0.prom not found");
    return;
  }
  page.Index();  // sizes the storage once
  const long before = allocations.load();
  for (auto _ : state) {
    const bool ok = page.Index();
    benchmark::DoNotOptimize(ok);
  }
  state.counters["samples"] = static_cast<double>(page.samples().size());
  state.counters["allocations_per_page"] =
      static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.text().size()));
}
BENCHMARK(BM_IndexNodeExporterPage);

}  // namespace
