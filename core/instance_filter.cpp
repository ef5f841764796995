#include "core/instance_filter.h"

#include <algorithm>
#include <cctype>

namespace corvane {
namespace {

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

InstanceFilter::InstanceFilter(std::vector<perf::MachineListing> instances)
    : instances_(std::move(instances)) {
  folded_.reserve(instances_.size());
  for (const perf::MachineListing& instance : instances_) {
    std::string text = instance.name + '\t' + instance.job;
    std::transform(text.begin(), text.end(), text.begin(), Fold);
    folded_.push_back(std::move(text));
  }
  Filter({});
}

const std::vector<std::size_t>& InstanceFilter::Filter(std::string_view text) {
  query_.assign(text);
  std::transform(query_.begin(), query_.end(), query_.begin(), Fold);
  matches_.clear();
  for (std::size_t i = 0; i < folded_.size(); ++i) {
    if (query_.empty() || folded_[i].find(query_) != std::string::npos) matches_.push_back(i);
  }
  return matches_;
}

std::string InstanceFilter::Describe(const perf::MachineListing& instance) {
  std::string text = instance.name + " (";
  if (!instance.job.empty()) text += instance.job + ", ";
  text += instance.up ? "up)" : "down)";
  return text;
}

}  // namespace corvane
