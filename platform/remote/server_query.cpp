#include "platform/remote/server_query.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>

#include "core/counter_path.h"
#include "platform/remote/counter_lookup.h"
#include "platform/remote/server_series.h"

namespace corvane::remote {
namespace {

constexpr std::string_view kTotal = "_Total";
constexpr std::string_view kHostClock = "node_time_seconds";
// The history is filled while the collector connects, so its request is kept short enough
// that connecting and filling together stay inside Stop's 5-second wait.
constexpr std::chrono::milliseconds kHistoryLimit{1000};

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string Decimal(double value) {
  char text[40];
  std::snprintf(text, sizeof(text), "%.3f", value);
  return text;
}

}  // namespace

ServerQuery::ServerQuery(std::shared_ptr<ServerDirectory> server)
    : server_(std::move(server)),
      request_(server_->options()),
      time_limit_(server_->options().total_timeout) {}

void ServerQuery::SetCollectTimeLimit(std::chrono::milliseconds limit) {
  time_limit_ = std::clamp(limit, std::chrono::milliseconds(0), server_->options().total_timeout);
}

perf::Status ServerQuery::AddCounter(std::string_view path, perf::CounterHandle* handle) {
  *handle = perf::kNullCounter;
  InstanceInfo info;
  ExporterPage page;
  CounterLookup lookup;
  const perf::Status status = LookUpCounter(
      path,
      [&](std::string_view machine, MachinePage* found) {
        const perf::Status connected = server_->Find(machine, &info);
        if (connected != perf::kOk) {
          last_error_ = server_->LastError(machine);
        } else {
          page.Load(*info.page);
          *found = MachinePage{info.kind, &page};
        }
        return connected;
      },
      &lookup);
  if (status != perf::kOk) return status;
  const ObjectDef* object = lookup.object;
  const CounterDef* definition = lookup.definition;
  CounterPath& parsed = lookup.path;

  Counter counter;
  counter.definition = definition;
  counter.total = parsed.has_instance && NamesEqual(parsed.instance, kTotal);
  counter.instance_name = std::move(parsed.instance);
  // The metrics the exporter table reads for this counter are those it looks up on a page
  // that has them all: the instance's series at its connection.
  page.RecordLookups(&counter.metrics);
  static_cast<void>(Exposes(page, *definition));
  std::vector<std::string> listed;
  if (object->has_instances) object->list_instances(page, &listed);
  RawFigures figures;
  static_cast<void>(definition->extract(ScrapeView{&page, WallSeconds()},
                                        InstanceRef{counter.instance_name, counter.total},
                                        &figures));
  page.RecordLookups(nullptr);
  if (info.kind == ExporterKind::kNode) counter.metrics.emplace_back(kHostClock);
  std::sort(counter.metrics.begin(), counter.metrics.end());
  counter.metrics.erase(std::unique(counter.metrics.begin(), counter.metrics.end()),
                        counter.metrics.end());

  const std::string instance = InstanceOfMachine(parsed.machine);
  auto slot = std::find_if(instances_.begin(), instances_.end(),
                           [&](const Instance& known) { return known.name == instance; });
  if (slot == instances_.end()) {
    instances_.push_back(Instance{instance, info.kind, 0});
    slot = instances_.end() - 1;
  }
  ++slot->counters;
  counter.instance = static_cast<std::size_t>(slot - instances_.begin());
  counters_.push_back(std::move(counter));
  form_dirty_ = true;
  *handle = static_cast<perf::CounterHandle>(counters_.size());
  last_error_.clear();
  return perf::kOk;
}

const ServerQuery::Counter* ServerQuery::Find(perf::CounterHandle handle) const {
  if (handle == perf::kNullCounter || handle > counters_.size()) return nullptr;
  const Counter* counter = &counters_[handle - 1];
  return counter->removed ? nullptr : counter;
}

ServerQuery::Counter* ServerQuery::Find(perf::CounterHandle handle) {
  return const_cast<Counter*>(std::as_const(*this).Find(handle));
}

perf::Status ServerQuery::RemoveCounter(perf::CounterHandle handle) {
  Counter* counter = Find(handle);
  if (counter == nullptr) return perf::kInvalidHandle;
  counter->removed = true;
  --instances_[counter->instance].counters;
  form_dirty_ = true;
  return perf::kOk;
}

std::string ServerQuery::CounterError(perf::CounterHandle handle) const {
  const Counter* counter = Find(handle);
  if (counter == nullptr || counter->status == perf::kOk) return {};
  return counter->reason;
}

std::string ServerQuery::Selector() const {
  std::set<std::string> metrics{"up"};
  std::vector<std::string> instances;
  for (const Counter& counter : counters_) {
    if (counter.removed) continue;
    metrics.insert(counter.metrics.begin(), counter.metrics.end());
  }
  for (const Instance& instance : instances_) {
    if (instance.counters > 0) instances.push_back(instance.name);
  }
  if (instances.empty()) return {};
  const std::vector<std::string> names(metrics.begin(), metrics.end());
  return ScrapedSeriesQuery(names, instances);
}

bool ServerQuery::Read(const Counter& counter, const ExporterPage& page, double time,
                       Reading* reading, std::string* reason) const {
  const Instance& instance = instances_[counter.instance];
  if (!counter.definition->extract(ScrapeView{&page, WallSeconds()},
                                   InstanceRef{counter.instance_name, counter.total},
                                   &reading->figures)) {
    std::string missing;
    for (const std::string& metric : counter.metrics) {
      if (metric == kHostClock || page.Has(metric)) continue;
      missing += (missing.empty() ? "" : ", ") + metric;
    }
    *reason = instance.name + ": " +
              (missing.empty() ? std::string("the server's series do not give this counter")
                               : "series missing on the server: " + missing);
    return false;
  }
  reading->time = time;
  reading->host_time = std::numeric_limits<double>::quiet_NaN();
  if (instance.kind == ExporterKind::kNode) page.Value(kHostClock, &reading->host_time);
  return true;
}

perf::Status ServerQuery::Collect() {
  // The counters change only between collections: the form is made again only then.
  if (form_dirty_) {
    const std::string selector = Selector();
    form_ = selector.empty() ? std::string() : "query=" + FormEscape(selector);
    form_dirty_ = false;
  }
  if (form_.empty()) return perf::kNoData;
  if (!request_.running()) ++requests_;
  const bool ended =
      request_.Run("/api/v1/query", form_, std::chrono::steady_clock::now() + time_limit_);
  ServerAnswer& answer = answer_;
  std::string failure;
  if (!ended) {
    failure =
        request_.base() + ": no answer yet after " + std::to_string(time_limit_.count()) + " ms";
  } else if (!request_.Answer(&answer, &failure)) {
    server_->NoteServer(failure);
  }
  if (!failure.empty()) {
    // The previous readings stay: the next answer gives rates over the whole gap.
    for (Counter& counter : counters_) {
      counter.status = perf::kInvalidData;
      counter.reason = failure;
    }
    last_error_ = failure;
    return perf::kNoData;
  }
  server_->NoteServer({});
  last_error_.clear();

  const auto by_instance = SeriesByInstance(answer);
  for (std::size_t i = 0; i < instances_.size(); ++i) {
    const Instance& instance = instances_[i];
    if (instance.counters == 0) continue;
    std::string missing;
    const auto found = by_instance.find(instance.name);
    if (found == by_instance.end() || found->second.series == 0) {
      const bool down = found != by_instance.end() && found->second.has_up && found->second.up == 0;
      missing = instance.name + (down ? ": the server's last scrape of it failed (its \"up\" is 0)"
                                      : ": the server has no current series of it (stale: not "
                                        "scraped within its staleness, or unknown)");
    } else if (!LoadPage(found->second, &page_)) {
      missing = instance.name + ": the server's series do not form an exporter page";
    }
    server_->NoteInstance(instance.name, missing);
    const double time = missing.empty() ? found->second.time : 0;
    for (Counter& counter : counters_) {
      if (counter.removed || counter.instance != i) continue;
      if (!missing.empty()) {
        counter.status = perf::kInvalidData;
        counter.reason = missing;
        continue;
      }
      Reading reading;
      if (!Read(counter, page_, time, &reading, &counter.reason)) {
        counter.status = perf::kInvalidData;
        counter.evaluated = perf::kNoData;
        counter.has_previous = false;
        continue;
      }
      // Not scraped again since the last collection: the value of the last two scrapes stays.
      if (counter.has_previous && reading.time == counter.previous.time &&
          counter.evaluated != perf::kNoData) {
        counter.status = counter.evaluated;
        if (counter.status == perf::kOk) counter.reason.clear();
        continue;
      }
      counter.status =
          Evaluate(counter.definition->formula, counter.has_previous ? &counter.previous : nullptr,
                   reading, &counter.value);
      counter.evaluated = counter.status;
      counter.reason.clear();
      if (counter.status != perf::kOk) {
        const Formula formula = counter.definition->formula;
        if (formula == Formula::kValue || formula == Formula::kFraction ||
            formula == Formula::kUsageFraction) {
          counter.reason = instance.name + ": the server's series give no valid value (not a " +
                           "number, or a base of 0)";
        } else if (counter.has_previous) {
          counter.reason = instance.name + ": no valid rate from the last two scrapes (a " +
                           "counter went backwards: the exporter restarted)";
        }
      }
      counter.previous = reading;
      counter.has_previous = true;
    }
  }
  return perf::kOk;
}

perf::Status ServerQuery::GetFormattedDouble(perf::CounterHandle handle, double* value) {
  const Counter* counter = Find(handle);
  if (counter == nullptr) return perf::kInvalidHandle;
  if (counter->status != perf::kOk) return counter->status;
  *value = counter->value;
  return perf::kOk;
}

perf::Status ServerQuery::FillHistory(int samples, std::chrono::milliseconds step) {
  for (Counter& counter : counters_) counter.history.clear();
  const std::string selector = Selector();
  if (selector.empty() || samples < 1 || step.count() <= 0) return perf::kNoData;
  const double step_seconds = static_cast<double>(step.count()) / 1000.0;
  // Whole milliseconds, so that the steps' times are exactly those the server stamps.
  const double end = std::floor(WallSeconds() * 1000.0) / 1000.0;
  const double start = end - step_seconds * (samples - 1);
  ServerAnswer answer;
  std::string reason;
  ++requests_;
  if (!server_->Ask("/api/v1/query_range",
                    "query=" + FormEscape(selector) + "&start=" + Decimal(start) +
                        "&end=" + Decimal(end) + "&step=" + Decimal(step_seconds),
                    &answer, &reason, kHistoryLimit)) {
    last_error_ = reason;
    return perf::kNoData;
  }
  std::vector<bool> has_previous(counters_.size(), false);
  std::vector<Reading> previous(counters_.size());
  ExporterPage page;
  for (int k = 0; k < samples; ++k) {
    const double at = std::round((start + step_seconds * k) * 1000.0) / 1000.0;
    const auto by_instance = SeriesByInstance(answer, at);
    for (std::size_t i = 0; i < instances_.size(); ++i) {
      const auto found = by_instance.find(instances_[i].name);
      const bool usable =
          found != by_instance.end() && found->second.series > 0 && LoadPage(found->second, &page);
      for (std::size_t c = 0; c < counters_.size(); ++c) {
        Counter& counter = counters_[c];
        if (counter.removed || counter.instance != i) continue;
        Reading reading;
        std::string ignored;
        if (!usable || !Read(counter, page, at, &reading, &ignored)) {
          has_previous[c] = false;
          continue;
        }
        double value = 0;
        if (Evaluate(counter.definition->formula, has_previous[c] ? &previous[c] : nullptr, reading,
                     &value) == perf::kOk)
          counter.history.push_back(value);
        previous[c] = reading;
        has_previous[c] = true;
      }
    }
  }
  return perf::kOk;
}

perf::Status ServerQuery::GetHistory(perf::CounterHandle handle,
                                     std::vector<double>* values) const {
  const Counter* counter = Find(handle);
  values->clear();
  if (counter == nullptr) return perf::kInvalidHandle;
  *values = counter->history;
  return values->empty() ? perf::kNoData : perf::kOk;
}

}  // namespace corvane::remote
