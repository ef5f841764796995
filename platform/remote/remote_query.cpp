#include "platform/remote/remote_query.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

#include "core/counter_path.h"
#include "platform/remote/counter_lookup.h"

namespace corvane::remote {
namespace {

constexpr std::string_view kTotal = "_Total";

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

RemoteQuery::RemoteQuery(std::shared_ptr<MachineDirectory> machines)
    : machines_(std::move(machines)), time_limit_(machines_->options().total_timeout) {}

void RemoteQuery::SetCollectTimeLimit(std::chrono::milliseconds limit) {
  time_limit_ = std::clamp(limit, std::chrono::milliseconds(0), machines_->options().total_timeout);
}

std::size_t RemoteQuery::MachineSlot(const std::string& key, const MachineInfo& info) {
  // Two spellings of one machine ("\\h" and "\\h:9100") reach the same URL and share a scrape.
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].scrape->url() == info.url) return i;
  }
  Machine slot;
  slot.key = key;
  slot.kind = info.kind;
  slot.scrape = std::make_unique<ExporterScrape>(info.url, machines_->options());
  slots_.push_back(std::move(slot));
  return slots_.size() - 1;
}

perf::Status RemoteQuery::AddCounter(std::string_view path, perf::CounterHandle* handle) {
  *handle = perf::kNullCounter;
  MachineInfo info;
  CounterLookup lookup;
  const perf::Status status = LookUpCounter(
      path,
      [&](std::string_view machine, MachinePage* found) {
        const perf::Status connected = machines_->Find(machine, &info);
        if (connected != perf::kOk) {
          last_error_ = machines_->LastError(machine);
        } else {
          *found = MachinePage{info.kind, info.page.get()};
        }
        return connected;
      },
      &lookup);
  if (status != perf::kOk) return status;

  Counter counter;
  counter.machine = MachineSlot(MachineDirectory::KeyOf(lookup.path.machine), info);
  counter.definition = lookup.definition;
  counter.total = lookup.path.has_instance && NamesEqual(lookup.path.instance, kTotal);
  counter.instance = std::move(lookup.path.instance);
  ++slots_[counter.machine].counters;
  counters_.push_back(std::move(counter));
  *handle = static_cast<perf::CounterHandle>(counters_.size());
  last_error_.clear();
  return perf::kOk;
}

const RemoteQuery::Counter* RemoteQuery::Find(perf::CounterHandle handle) const {
  if (handle == perf::kNullCounter || handle > counters_.size()) return nullptr;
  const Counter* counter = &counters_[handle - 1];
  return counter->removed ? nullptr : counter;
}

RemoteQuery::Counter* RemoteQuery::Find(perf::CounterHandle handle) {
  return const_cast<Counter*>(std::as_const(*this).Find(handle));
}

std::string RemoteQuery::CounterError(perf::CounterHandle handle) const {
  const Counter* counter = Find(handle);
  if (counter == nullptr || counter->status == perf::kOk) return {};
  return slots_[counter->machine].reason;
}

perf::Status RemoteQuery::RemoveCounter(perf::CounterHandle handle) {
  Counter* counter = Find(handle);
  if (counter == nullptr) return perf::kInvalidHandle;
  counter->removed = true;
  --slots_[counter->machine].counters;
  return perf::kOk;
}

perf::Status RemoteQuery::Collect() {
  runs_.clear();
  for (Machine& slot : slots_) {
    slot.scraped = false;
    if (slot.counters > 0) runs_.push_back(slot.scrape.get());
  }
  if (runs_.empty()) return perf::kNoData;
  runner_.Run(runs_, std::chrono::steady_clock::now() + time_limit_);

  const double wall_time = WallSeconds();
  bool any = false;
  last_error_.clear();
  for (Machine& slot : slots_) {
    if (slot.counters == 0) continue;
    const ExporterScrape& scrape = *slot.scrape;
    slot.reason.clear();
    if (scrape.running()) {
      // Late, not failed: whether it answers is known once the request ends.
      slot.reason =
          scrape.url() + ": no answer yet after " + std::to_string(time_limit_.count()) + " ms";
    } else if (!scrape.ok()) {
      slot.reason = scrape.error();
    } else if (const ExporterKind kind = RecogniseExporter(scrape.page()); kind != slot.kind) {
      slot.reason = scrape.url() + ": the page is no longer " +
                    std::string(ExporterName(slot.kind)) + " output";
    }
    if (!slot.reason.empty()) {
      if (!scrape.running()) machines_->NoteScrapeError(slot.key, slot.reason);
      last_error_ += (last_error_.empty() ? "" : "; ") + slot.reason;
      continue;
    }
    slot.scraped = true;
    any = true;
    machines_->NoteScrapeError(slot.key, {});
    slot.host_time = std::numeric_limits<double>::quiet_NaN();
    if (slot.kind == ExporterKind::kNode) scrape.page().Value("node_time_seconds", &slot.host_time);
  }

  for (Counter& counter : counters_) {
    if (counter.removed) continue;
    const Machine& slot = slots_[counter.machine];
    if (!slot.scraped) {
      // The previous reading stays: the next good scrape gives a rate over both intervals.
      counter.status = perf::kInvalidData;
      continue;
    }
    const ScrapeView view{&slot.scrape->page(), wall_time};
    Reading reading;
    if (!counter.definition->extract(view, InstanceRef{counter.instance, counter.total},
                                     &reading.figures)) {
      counter.status = perf::kInvalidData;
      counter.has_previous = false;
      continue;
    }
    reading.time = slot.scrape->read_time();
    reading.host_time = slot.host_time;
    counter.status =
        Evaluate(counter.definition->formula, counter.has_previous ? &counter.previous : nullptr,
                 reading, &counter.value);
    counter.previous = reading;
    counter.has_previous = true;
  }
  if (any) last_error_.clear();
  return any ? perf::kOk : perf::kNoData;
}

perf::Status RemoteQuery::GetFormattedDouble(perf::CounterHandle handle, double* value) {
  const Counter* counter = Find(handle);
  if (counter == nullptr) return perf::kInvalidHandle;
  if (counter->status != perf::kOk) return counter->status;
  *value = counter->value;
  return perf::kOk;
}

}  // namespace corvane::remote
