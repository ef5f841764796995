// Computes a counter's value for the current collection from the query's sources: the
// formulas that turn kernel counts into the values the counters promise. Called by the query
// that owns the sources; one thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/perf_data.h"
#include "platform/linux/proc/counter_binding.h"
#include "platform/linux/proc/row_table.h"
#include "platform/linux/proc/source_set.h"
#include "platform/linux/proc/swap_peaks.h"

namespace corvane::local {

// Sets binding->status and binding->value. A counter without a value (first collection of a
// rate, an instance that is not there, a source that cannot be read) gets kInvalidData.
void EvaluateCounter(CounterBinding* binding, SourceSet* sources, SwapPeaks* peaks);

namespace eval {

using Value = std::optional<double>;

Value Processor(const CounterBinding& binding, std::size_t* hint, SourceSet* sources);
Value SystemWide(const CounterBinding& binding, SourceSet* sources);
Value Memory(const CounterBinding& binding, SourceSet* sources);
Value PagingFile(const CounterBinding& binding, std::size_t* hint, SourceSet* sources,
                 SwapPeaks* peaks);
Value LogicalDisk(const CounterBinding& binding, std::size_t* hint, SourceSet* sources);
Value PhysicalDisk(const CounterBinding& binding, std::size_t* hint, SourceSet* sources);
Value NetworkInterface(const CounterBinding& binding, std::size_t* hint, SourceSet* sources);

// The row that `matches`, trying row *hint first (instances rarely move between collections);
// *hint is updated. Null when no row matches.
template <typename Row, typename Match>
const Row* FindRow(const RowTable<Row>& rows, std::size_t* hint, Match&& matches) {
  if (*hint < rows.size() && matches(rows[*hint])) return &rows[*hint];
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (matches(rows[i])) {
      *hint = i;
      return &rows[i];
    }
  }
  return nullptr;
}

// The row of the previous collection with the same kernel name as `row`, row `index` of the
// current one: usually at the same index.
template <typename Row>
const Row* SameNameIn(const RowTable<Row>& rows, const Row& row, std::size_t index) {
  if (index < rows.size() && rows[index].name == row.name) return &rows[index];
  for (const Row& other : rows) {
    if (other.name == row.name) return &other;
  }
  return nullptr;
}

}  // namespace eval
}  // namespace corvane::local
