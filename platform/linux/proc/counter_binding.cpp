#include "platform/linux/proc/counter_binding.h"

#include <utility>

#include "core/counter_path.h"
#include "core/perf_names.h"
#include "platform/linux/proc/text_fields.h"

namespace corvane::local {
namespace {

std::optional<unsigned> ProcessorNumber(std::string_view instance) {
  unsigned number = 0;
  // "0", "1", ... exactly as the kernel numbers them: no sign, no leading zero.
  if (instance.size() > 1 && instance.front() == '0') return std::nullopt;
  if (!text::ParseUnsigned(instance, &number)) return std::nullopt;
  return number;
}

}  // namespace

perf::Status BindCounter(std::string_view text, CounterBinding* binding) {
  auto path = ParseCounterPath(text);
  if (!path) return perf::kBadCounterName;
  if (!path->machine.empty()) return perf::kNoMachine;
  {
    // Resolve the object alone first, so that an unknown number says which part it was.
    CounterPath object_only = *path;
    object_only.counter = "counter";
    if (!perf::ResolveNumericNames(&object_only)) return perf::kNoObject;
    if (!perf::ResolveNumericNames(&*path)) return perf::kNoCounter;
  }
  const ObjectInfo* object = FindObject(path->object);
  if (object == nullptr) return perf::kNoObject;
  const CounterInfo* counter = FindCounter(*object, path->counter);
  if (counter == nullptr) return perf::kNoCounter;

  if (object->instances == InstanceKind::kNone) {
    if (path->has_instance) return perf::kNoInstance;
  } else if (!path->has_instance || path->instance.empty() || path->instance == "*") {
    // One value per counter: a wildcard would name several.
    return perf::kNoInstance;
  }

  *binding = CounterBinding{};
  binding->object = object;
  binding->counter = counter;
  binding->instance = std::move(path->instance);
  binding->total = object->instances == InstanceKind::kWithTotal &&
                   NamesEqual(binding->instance, kTotalInstance);
  if (object->id == ObjectId::kProcessor && !binding->total)
    binding->cpu = ProcessorNumber(binding->instance);
  return perf::kOk;
}

}  // namespace corvane::local
