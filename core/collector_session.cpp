#include "core/collector_session.h"

#include "chart/wind_rose.h"
#include "core/engine.h"

namespace corvane {

void CollectorSession::Prepare(int counters) {
  handles_.assign(static_cast<std::size_t>(counters > 0 ? counters : 0), perf::kNullCounter);
}

perf::Status CollectorSession::OpenQuery() {
  const perf::Status status = provider_.OpenQuery(&query_);
  if (status != perf::kOk) query_.reset();
  return query_ == nullptr && status == perf::kOk ? perf::kInvalidHandle : status;
}

void CollectorSession::AddCounter(int slot, std::string_view path) {
  if (query_ == nullptr || slot < 0 || slot >= CounterCount()) return;
  perf::CounterHandle& handle = handles_[static_cast<std::size_t>(slot)];
  if (query_->AddCounter(path, &handle) != perf::kOk) handle = perf::kNullCounter;
}

void CollectorSession::Collect(std::chrono::milliseconds limit) {
  if (query_ == nullptr) return;
  query_->SetCollectTimeLimit(limit);
  query_->Collect();
}

void CollectorSession::FillHistory(Corvane& engine) {
  if (query_ == nullptr) return;
  const CorvaneSettings settings = engine.GetSettings();
  if (query_->FillHistory(settings.History, std::chrono::seconds(settings.Interval)) != perf::kOk)
    return;
  std::vector<std::vector<double>> values(handles_.size());
  std::vector<bool> counted(handles_.size(), false);
  for (std::size_t i = 0; i < handles_.size(); ++i) {
    if (handles_[i] == perf::kNullCounter) continue;
    counted[i] = true;
    query_->GetHistory(handles_[i], &values[i]);
  }
  engine.SeedHistory(values, counted);
}

void CollectorSession::StoreSample(Corvane& engine) {
  chart::ChartLock lock(engine);
  for (int i = 0; i < CounterCount(); ++i) {
    double value = 0.0;
    const perf::CounterHandle handle = handles_[static_cast<std::size_t>(i)];
    if (query_ != nullptr && handle != perf::kNullCounter &&
        query_->GetFormattedDouble(handle, &value) == perf::kOk) {
      engine.SetValue(i, value);  // a value that is no number shows as unavailable
    } else {
      engine.SetUnavailable(i);
    }
  }
  engine.EndSample();
}

void CollectorSession::Close() {
  if (query_ != nullptr) {
    for (const perf::CounterHandle handle : handles_) query_->RemoveCounter(handle);
  }
  query_.reset();
  handles_ = {};
}

}  // namespace corvane
