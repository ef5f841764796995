#include "platform/remote/counter_lookup.h"

#include "core/perf_names.h"
#include "platform/remote/exporter_page.h"

namespace corvane::remote {

perf::Status LookUpCounter(std::string_view path, const FindMachine& find, CounterLookup* lookup) {
  auto parsed = ParseCounterPath(path);
  if (!parsed) return perf::kBadCounterName;
  if (parsed->machine.empty()) return perf::kNoMachine;
  if (!perf::ResolveNumericNames(&*parsed)) return perf::kNoCounter;
  MachinePage machine;
  if (const perf::Status status = find(parsed->machine, &machine); status != perf::kOk)
    return status;
  const ObjectDef* object = FindObject(machine.kind, parsed->object);
  if (object == nullptr) return perf::kNoObject;
  const CounterDef* definition = FindCounter(*object, parsed->counter);
  if (definition == nullptr || !Exposes(*machine.page, *definition)) return perf::kNoCounter;
  if (const perf::Status status =
          CheckInstance(*machine.page, *object, parsed->has_instance, parsed->instance);
      status != perf::kOk)
    return status;
  lookup->path = std::move(*parsed);
  lookup->object = object;
  lookup->definition = definition;
  lookup->machine = machine;
  return perf::kOk;
}

}  // namespace corvane::remote
