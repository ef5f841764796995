// One counter of a query: what its path names (object, counter, instance) and its value after
// the last collection. Owned by its query; one thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/perf_data.h"
#include "platform/linux/proc/file_source.h"
#include "platform/linux/proc/local_objects.h"

namespace corvane::local {

struct CounterBinding {
  const ObjectInfo* object = nullptr;
  const CounterInfo* counter = nullptr;
  std::string instance;         // as the path spells it; empty for objects without instances
  bool total = false;           // the "_Total" instance
  std::optional<unsigned> cpu;  // Processor: the processor number the instance names
  std::size_t hint = 0;         // row where the instance was found last time

  bool active = true;                           // false once removed
  const SourceReport* failed_source = nullptr;  // why the last collection gave no value
  perf::Status status = perf::kNoData;
  double value = 0;
};

// Parses and checks a local path: the object and counter must exist (numeric names resolve
// through the index table), an object with instances needs one and an object without must
// have none. An instance that does not exist now is accepted: it reads as invalid until the
// kernel lists it. Paths with a machine part fail with kNoMachine.
perf::Status BindCounter(std::string_view path, CounterBinding* binding);

}  // namespace corvane::local
