// The local counter provider: answers counter paths without a machine part from /proc and
// /sys of the running kernel. Objects: Processor, Memory, Paging File, LogicalDisk,
// PhysicalDisk, Network Interface, System, Objects.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/perf_data.h"

namespace corvane::local {

// The size of a mounted volume, as statvfs(3) gives it.
struct VolumeSpace {
  std::uint64_t total_bytes = 0;      // f_blocks × f_frsize
  std::uint64_t available_bytes = 0;  // f_bavail × f_frsize: what ordinary users can still write
};

struct LocalProviderOptions {
  std::string proc_root = "/proc";  // tests point these at captured trees
  std::string sys_root = "/sys";

  // Nanoseconds of a monotonic clock; CLOCK_MONOTONIC when empty. Tests script it so that
  // rates over a captured tree are exact.
  std::function<std::int64_t()> monotonic_clock;

  // The size of the volume mounted at a path: 0, or an errno value. statvfs(3) when empty.
  // Tests answer for the mount points of a captured tree. Called on the collecting thread.
  std::function<int(const std::string& mount_point, VolumeSpace* space)> volume_space;
};

// Any thread may call the provider; each query it opens belongs to one thread. Queries may
// outlive the provider.
std::unique_ptr<perf::Provider> MakeLocalProvider(LocalProviderOptions options = {});

}  // namespace corvane::local
