#include "platform/linux/proc/counter_eval.h"

namespace corvane::local {

void EvaluateCounter(CounterBinding* binding, SourceSet* sources, SwapPeaks* peaks) {
  eval::Value value;
  sources->BeginCounter();
  switch (binding->object->id) {
    case ObjectId::kProcessor:
      value = eval::Processor(*binding, &binding->hint, sources);
      break;
    case ObjectId::kSystem:
    case ObjectId::kObjects:
      value = eval::SystemWide(*binding, sources);
      break;
    case ObjectId::kMemory:
      value = eval::Memory(*binding, sources);
      break;
    case ObjectId::kPagingFile:
      value = eval::PagingFile(*binding, &binding->hint, sources, peaks);
      break;
    case ObjectId::kLogicalDisk:
      value = eval::LogicalDisk(*binding, &binding->hint, sources);
      break;
    case ObjectId::kPhysicalDisk:
      value = eval::PhysicalDisk(*binding, &binding->hint, sources);
      break;
    case ObjectId::kNetworkInterface:
      value = eval::NetworkInterface(*binding, &binding->hint, sources);
      break;
  }
  binding->status = value ? perf::kOk : perf::kInvalidData;
  binding->failed_source = value ? nullptr : sources->FailedSource();
  binding->value = value.value_or(0.0);
}

}  // namespace corvane::local
