#include "platform/remote/exporter_page.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace corvane::remote {
namespace {

std::uint64_t Load8(const char* p, std::size_t n) {
  std::uint64_t v = 0;
  std::memcpy(&v, p, n < 8 ? n : 8);
  return v;
}

// Metric names share long prefixes ("node_disk_") and suffixes ("_total"), so the hash mixes
// the length with words from the start, the middle and the end.
std::uint64_t HashName(std::string_view name) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  const std::size_t n = name.size();
  std::uint64_t h = (n + 1) * kMul;
  if (n >= 8) {
    h = (h ^ Load8(name.data(), 8)) * kMul;
    h = (h ^ Load8(name.data() + n / 2 - 4, 8)) * kMul;
    h = (h ^ Load8(name.data() + n - 8, 8)) * kMul;
  } else {
    h = (h ^ Load8(name.data(), n)) * kMul;
  }
  return h ^ (h >> 31);
}

}  // namespace

void ExporterPage::Clear() {
  samples_.clear();
  labels_.clear();
  runs_.clear();
  unescaped_.clear();
  std::fill(slots_.begin(), slots_.end(), 0u);
  error_ = {};
}

bool ExporterPage::Load(std::string_view text) {
  text_.assign(text);
  return Index();
}

bool ExporterPage::Index() {
  Clear();
  ExpositionParser parser(text_);
  Sample sample;
  const auto less = std::less<const char*>();
  const char* const text_begin = text_.data();
  const char* const text_end = text_.data() + text_.size();
  while (true) {
    const auto result = parser.Next(&sample);
    if (result == ExpositionParser::Result::kEnd) break;
    if (result == ExpositionParser::Result::kError) {
      const ParseError error = parser.error();
      Clear();
      error_ = error;
      return false;
    }
    const auto first_label = static_cast<std::uint32_t>(labels_.size());
    for (const Label& label : sample.labels) {
      std::string_view value = label.value;
      // An unescaped value lives in the parser's buffer until the next sample: keep a copy.
      // Unescaping only shortens, so the copies of one page fit in the page's size and the
      // reserved buffer never moves under the views already taken.
      if (!value.empty() && (less(value.data(), text_begin) || !less(value.data(), text_end))) {
        if (unescaped_.capacity() < text_.size()) unescaped_.reserve(text_.size());
        const std::size_t at = unescaped_.size();
        unescaped_.append(value);
        value = std::string_view(unescaped_.data() + at, value.size());
      }
      labels_.push_back(Label{label.name, value});
    }
    const auto index = static_cast<std::uint32_t>(samples_.size());
    samples_.push_back(Series{sample.name, first_label,
                              static_cast<std::uint32_t>(sample.labels.size()), sample.value});
    if (!runs_.empty() && runs_.back().name == sample.name) {
      runs_.back().end = index + 1;
    } else {
      runs_.push_back(Run{sample.name, index, index + 1});
    }
  }
  return BuildNameIndex();
}

void ExporterPage::StartFill() {
  Clear();
  text_.clear();
}

void ExporterPage::AddSample(std::string_view name, double value) {
  const auto index = static_cast<std::uint32_t>(samples_.size());
  samples_.push_back(Series{name, static_cast<std::uint32_t>(labels_.size()), 0, value});
  if (!runs_.empty() && runs_.back().name == name) {
    runs_.back().end = index + 1;
  } else {
    runs_.push_back(Run{name, index, index + 1});
  }
}

void ExporterPage::AddLabel(std::string_view name, std::string_view value) {
  labels_.push_back(Label{name, value});
  ++samples_.back().label_count;
}

bool ExporterPage::BuildNameIndex() {
  std::size_t size = 64;
  while (size < runs_.size() * 2) size *= 2;
  if (slots_.size() != size) slots_.assign(size, 0u);
  const std::size_t mask = size - 1;
  for (std::size_t r = 0; r < runs_.size(); ++r) {
    std::size_t slot = HashName(runs_[r].name) & mask;
    while (slots_[slot] != 0) {
      if (runs_[slots_[slot] - 1].name == runs_[r].name) {
        // The format keeps every line of a metric in one group; a second group means the page
        // was put together wrongly and any value of that metric could be the wrong one.
        const ParseError error{0, "the samples of one metric are split into two groups"};
        Clear();
        error_ = error;
        return false;
      }
      slot = (slot + 1) & mask;
    }
    slots_[slot] = static_cast<std::uint32_t>(r + 1);
  }
  return true;
}

const ExporterPage::Run* ExporterPage::FindRun(std::string_view metric) const {
  if (slots_.empty() || runs_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = HashName(metric) & mask;
  while (slots_[slot] != 0) {
    const Run& run = runs_[slots_[slot] - 1];
    if (run.name == metric) return &run;
    slot = (slot + 1) & mask;
  }
  return nullptr;
}

std::span<const ExporterPage::Series> ExporterPage::Find(std::string_view metric) const {
  if (lookups_ != nullptr) lookups_->emplace_back(metric);
  const Run* run = FindRun(metric);
  if (run == nullptr) return {};
  return std::span<const Series>(samples_.data() + run->begin, run->end - run->begin);
}

bool ExporterPage::Value(std::string_view metric, double* value) const {
  const auto series = Find(metric);
  if (series.empty()) return false;
  *value = series.front().value;
  return true;
}

std::string_view ExporterPage::LabelOf(const Series& series, std::string_view label) const {
  for (const Label& l : LabelsOf(series)) {
    if (l.name == label) return l.value;
  }
  return {};
}

}  // namespace corvane::remote
