// The instances a Prometheus server lists, narrowed by what a user types: every instance
// whose name or job holds the text, ignoring letter case, in the server's order. Built for
// thousands of instances: the lower-case texts are made once, a filter is one pass without
// allocation but for the result. The remote host dialog and the counter browser show it.
// One thread at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/perf_data.h"

namespace corvane {

class InstanceFilter {
 public:
  InstanceFilter() = default;
  explicit InstanceFilter(std::vector<perf::MachineListing> instances);

  const std::vector<perf::MachineListing>& instances() const { return instances_; }

  // The indexes of the instances that match `text` (all for an empty text).
  const std::vector<std::size_t>& Filter(std::string_view text);
  const std::vector<std::size_t>& matches() const { return matches_; }

  // "web-03:9100 (node, up)": how a list shows an instance.
  static std::string Describe(const perf::MachineListing& instance);

 private:
  std::vector<perf::MachineListing> instances_;
  std::vector<std::string> folded_;  // name, a tab, job; lower case
  std::vector<std::size_t> matches_;
  std::string query_;
};

}  // namespace corvane
