// A query of the local provider: its counters, the kernel sources they need (each read at most
// once per collection), and each counter's value after the last collection. Collecting and
// reading values allocate nothing once the buffers fit the files. Owned by the thread that
// opened it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/counter_binding.h"
#include "platform/linux/proc/local_provider.h"
#include "platform/linux/proc/source_set.h"
#include "platform/linux/proc/swap_peaks.h"

namespace corvane::local {

class LocalQuery final : public perf::Query {
 public:
  LocalQuery(const LocalProviderOptions& options, std::shared_ptr<SwapPeaks> peaks);

  perf::Status AddCounter(std::string_view path, perf::CounterHandle* handle) override;
  perf::Status RemoveCounter(perf::CounterHandle handle) override;
  // kNoData when the query holds no counter; otherwise kOk, each counter carrying its own
  // status (kInvalidData for a rate's first collection or a source that failed).
  perf::Status Collect() override;
  perf::Status GetFormattedDouble(perf::CounterHandle handle, double* value) override;
  // The file a counter could not read and the system's reason ("/proc/stat: Permission
  // denied"); empty when the counter had a value or simply has none yet.
  std::string CounterError(perf::CounterHandle handle) const override;

  // One line per source whose last read failed ("/proc/swaps: Permission denied"), for logs.
  std::string DescribeErrors() const { return sources_.DescribeErrors(); }

 private:
  CounterBinding* Find(perf::CounterHandle handle);

  std::function<std::int64_t()> clock_;
  std::shared_ptr<SwapPeaks> peaks_;
  SourceSet sources_;
  std::vector<CounterBinding> counters_;  // handle = index + 1; removed slots stay, inactive
  std::size_t active_ = 0;
};

}  // namespace corvane::local
