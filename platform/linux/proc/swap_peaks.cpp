#include "platform/linux/proc/swap_peaks.h"

namespace corvane::local {

double SwapPeaks::Update(std::string_view name, double usage) {
  const std::lock_guard lock(mutex_);
  for (auto& [known, peak] : peaks_) {
    if (known != name) continue;
    if (usage > peak) peak = usage;
    return peak;
  }
  peaks_.emplace_back(std::string(name), usage);
  return usage;
}

}  // namespace corvane::local
