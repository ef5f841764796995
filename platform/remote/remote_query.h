// A query over remote counters: each collection scrapes every machine of the query once, all
// machines side by side, and serves all of a machine's counters from that scrape. Rate
// counters compare with the machine's previous successful scrape. One thread, the one that
// opened the query.
//
// A collection waits for the machines at most its time limit (the collector ties it to the
// sampling interval), so that one slow machine never delays the sample of the others. A machine
// that has not answered by then has no values for that collection, and its request goes on: the
// answer, when it comes, serves the next collection. The request is not dropped and sent again,
// because a machine that always needs longer than the limit would then never be read at all;
// kept, it is read every other sample, and its rates stay exact since each page carries the time
// it was taken. A machine that does not answer within the scrape time-out fails as before.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/remote/counter_formula.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_scrape.h"
#include "platform/remote/machine_directory.h"

namespace corvane::remote {

class RemoteQuery final : public perf::Query {
 public:
  explicit RemoteQuery(std::shared_ptr<MachineDirectory> machines);

  // A path must name a machine. The machine is connected first when it never was; a machine
  // whose connection failed refuses its counters (kNoMachine). A counter or instance the
  // exporter does not write fails to add (kNoCounter, kNoInstance).
  perf::Status AddCounter(std::string_view path, perf::CounterHandle* handle) override;
  perf::Status RemoveCounter(perf::CounterHandle handle) override;
  // kOk when at least one machine was scraped; a machine whose scrape failed leaves its
  // counters without a value for this collection only.
  perf::Status Collect() override;
  perf::Status GetFormattedDouble(perf::CounterHandle handle, double* value) override;
  std::string LastError() const override { return last_error_; }
  std::string CounterError(perf::CounterHandle handle) const override;
  // At most the scrape time-out; the time-out when never set.
  void SetCollectTimeLimit(std::chrono::milliseconds limit) override;

 private:
  struct Machine {
    std::string key;  // the directory's key, for its error notes
    ExporterKind kind = ExporterKind::kUnknown;
    std::unique_ptr<ExporterScrape> scrape;
    int counters = 0;  // counters still in the query
    bool scraped = false;
    std::string reason;    // why the last collection had no page from it
    double host_time = 0;  // node_time_seconds of the page, NaN when it has none
  };

  struct Counter {
    std::size_t machine = 0;
    const CounterDef* definition = nullptr;
    std::string instance;
    bool total = false;
    bool removed = false;
    bool has_previous = false;
    Reading previous;
    perf::Status status = perf::kNoData;
    double value = 0;
  };

  Counter* Find(perf::CounterHandle handle);
  const Counter* Find(perf::CounterHandle handle) const;
  std::size_t MachineSlot(const std::string& key, const MachineInfo& info);

  std::shared_ptr<MachineDirectory> machines_;
  ScrapeRunner runner_;
  std::vector<Machine> slots_;
  std::vector<Counter> counters_;      // handle = index + 1
  std::vector<ExporterScrape*> runs_;  // reused by every collection
  std::chrono::milliseconds time_limit_;
  std::string last_error_;
};

}  // namespace corvane::remote
