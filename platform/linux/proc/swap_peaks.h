// The highest "% Usage" each paging file (and "_Total") has reached since this provider first
// collected its "% Usage Peak": the kernel keeps no peak of its own. Shared by the provider's
// queries; any thread, takes its own lock.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::local {

class SwapPeaks {
 public:
  // Records a usage (percent) of the named swap area and returns its peak so far.
  double Update(std::string_view name, double usage);

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, double>> peaks_;  // kernel name or "_Total", percent
};

}  // namespace corvane::local
