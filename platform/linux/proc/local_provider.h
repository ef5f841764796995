// The local counter provider: answers counter paths without a machine part from /proc and
// /sys of the running kernel.
#pragma once

#include <memory>
#include <string>

#include "core/perf_data.h"

namespace corvane::local {

struct LocalProviderOptions {
  std::string proc_root = "/proc";  // tests point these at captured trees
  std::string sys_root = "/sys";
};

// Any thread may call the provider; each query it opens belongs to one thread.
std::unique_ptr<perf::Provider> MakeLocalProvider(LocalProviderOptions options = {});

}  // namespace corvane::local
