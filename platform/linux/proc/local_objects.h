// The objects and counters the local provider offers: the whole standard table
// (core/standard_objects.h), which path resolution, the counter browser's enumeration and the
// evaluation share. The evaluate_*.cpp files bind every counter id to the kernel's sources.
// Immutable data; any thread.
#pragma once

#include <span>
#include <string_view>

#include "core/standard_objects.h"

namespace corvane::local {

using corvane::CounterId;
using corvane::InstanceKind;
using corvane::kTotalInstance;
using corvane::ObjectId;
using CounterInfo = StandardCounter;
using ObjectInfo = StandardObject;

// Every object, in the browser's order.
inline std::span<const ObjectInfo> LocalObjects() { return StandardObjects(); }

// By English name, ignoring letter case; null when the provider has no such object.
inline const ObjectInfo* FindObject(std::string_view name) { return FindStandardObject(name); }
inline const CounterInfo* FindCounter(const ObjectInfo& object, std::string_view name) {
  return FindStandardCounter(object, name);
}

}  // namespace corvane::local
