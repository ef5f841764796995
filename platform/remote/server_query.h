// A query over counters read through a Prometheus server: every collection is one request to
// the server (an instant query of exactly the series the counters read, for exactly their
// instances), and each instance's series are read back as its exporter page by the exporter
// tables, so values, rates and the "not available" rules are those of a direct scrape. Rates
// come from the series' own sample times: while the server has not scraped an instance again,
// its counters keep the value of its last two scrapes. One thread, the one that opened it.
//
// A collection waits for the server at most its time limit; a request that has not been
// answered by then goes on and its answer serves the next collection.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/remote/counter_formula.h"
#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"
#include "platform/remote/server_directory.h"
#include "platform/remote/server_request.h"

namespace corvane::remote {

class ServerQuery final : public perf::Query {
 public:
  explicit ServerQuery(std::shared_ptr<ServerDirectory> server);

  // The machine part names an instance of the server; it is connected first when it never
  // was. A counter or instance the instance's exporter does not write fails to add.
  perf::Status AddCounter(std::string_view path, perf::CounterHandle* handle) override;
  perf::Status RemoveCounter(perf::CounterHandle handle) override;
  // kOk when the server answered; an instance without its series leaves its counters without
  // a value for this collection only.
  perf::Status Collect() override;
  perf::Status GetFormattedDouble(perf::CounterHandle handle, double* value) override;
  std::string LastError() const override { return last_error_; }
  std::string CounterError(perf::CounterHandle handle) const override;
  void SetCollectTimeLimit(std::chrono::milliseconds limit) override;

  // One range query over the same series: `samples` steps `step` apart, ending now.
  perf::Status FillHistory(int samples, std::chrono::milliseconds step) override;
  perf::Status GetHistory(perf::CounterHandle handle, std::vector<double>* values) const override;

  // The PromQL query the next collection sends (for tests and benchmarks).
  std::string Selector() const;
  // Requests sent so far.
  int requests() const { return requests_; }

 private:
  struct Instance {
    std::string name;  // the server's instance label
    ExporterKind kind = ExporterKind::kUnknown;
    int counters = 0;  // counters still in the query
  };

  struct Counter {
    std::size_t instance = 0;
    const CounterDef* definition = nullptr;
    std::string instance_name;  // the path's object instance
    bool total = false;
    bool removed = false;
    std::vector<std::string> metrics;  // what reading it looks up on a page
    bool has_previous = false;
    Reading previous;
    perf::Status status = perf::kNoData;
    perf::Status evaluated = perf::kNoData;  // of the last two distinct scrapes
    double value = 0;
    std::string reason;
    std::vector<double> history;
  };

  Counter* Find(perf::CounterHandle handle);
  const Counter* Find(perf::CounterHandle handle) const;
  // Reads one counter from its instance's page; false with *reason when it cannot.
  bool Read(const Counter& counter, const ExporterPage& page, double time, Reading* reading,
            std::string* reason) const;

  std::shared_ptr<ServerDirectory> server_;
  ServerRequest request_;
  std::vector<Instance> instances_;
  std::vector<Counter> counters_;  // handle = index + 1
  std::chrono::milliseconds time_limit_;
  std::string last_error_;
  ExporterPage page_;    // reused by every collection; its views point into answer_
  ServerAnswer answer_;  // likewise
  std::string form_;     // the request's form, made again when the counters change
  bool form_dirty_ = true;
  int requests_ = 0;
};

}  // namespace corvane::remote
