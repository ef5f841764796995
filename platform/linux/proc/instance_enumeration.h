// The instances of a local object as the kernel lists them now, for the counter browser and
// the standard counter catalogue: processors, swap areas, volumes, physical disks and network
// interfaces. Each call reads the sources afresh; any thread.
#pragma once

#include <string>
#include <vector>

#include "core/perf_data.h"
#include "platform/linux/proc/local_objects.h"
#include "platform/linux/proc/local_provider.h"

namespace corvane::local {

// Instance names (with the path substitutions) in the kernel's order, then "_Total" for the
// objects that have one; nothing for objects without instances. kInvalidData when the source
// cannot be read.
perf::Status EnumerateInstances(const LocalProviderOptions& options, const ObjectInfo& object,
                                std::vector<std::string>* instances);

}  // namespace corvane::local
