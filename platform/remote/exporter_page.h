// One scrape of an exporter: the page text it owns and every sample of it, indexed by metric
// name. Re-indexing a page reuses its storage, so a scrape in steady state allocates nothing.
// One thread at a time; the views it hands out live until the next Index() or Load().
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/prometheus_parser.h"

namespace corvane::remote {

class ExporterPage {
 public:
  struct Series {
    std::string_view name;
    std::uint32_t first_label = 0;  // into the page's label table
    std::uint32_t label_count = 0;
    double value = 0;
  };

  ExporterPage() = default;
  ExporterPage(const ExporterPage&) = delete;
  ExporterPage& operator=(const ExporterPage&) = delete;

  // The buffer a transfer writes the page into; Index() reads it.
  std::string& text() { return text_; }
  const std::string& text() const { return text_; }

  // Parses text() and indexes its samples. On failure the page holds no sample and error()
  // gives the line and the reason.
  bool Index();
  // Copies the text in and indexes it.
  bool Load(std::string_view text);

  // Fills the page with samples that are not text of its own: their names and label texts
  // live in storage the caller keeps unchanged until the page is indexed or filled again. A
  // metric's samples are added one after another; EndFill() indexes them as Index() does.
  void StartFill();
  void AddSample(std::string_view name, double value);
  void AddLabel(std::string_view name, std::string_view value);  // to the last sample added
  bool EndFill() { return BuildNameIndex(); }

  const ParseError& error() const { return error_; }

  // The samples of one metric (one group of lines of the same name), in page order; empty when
  // the page has none.
  std::span<const Series> Find(std::string_view metric) const;
  bool Has(std::string_view metric) const { return !Find(metric).empty(); }
  // The value of a metric without labels, or of its first sample; false when absent.
  bool Value(std::string_view metric, double* value) const;

  // The value of a label of a sample; empty when the sample has no such label (the format
  // makes an empty value and a missing label the same).
  std::string_view LabelOf(const Series& series, std::string_view label) const;
  std::span<const Label> LabelsOf(const Series& series) const {
    return {labels_.data() + series.first_label, series.label_count};
  }

  std::span<const Series> samples() const { return samples_; }

  // While set, every metric name Find is asked for is appended to *names (null: none). It
  // tells which metrics a counter's reading uses, so that a server can be asked for just
  // those. Only on a page that one thread owns.
  void RecordLookups(std::vector<std::string>* names) { lookups_ = names; }

 private:
  struct Run {
    std::string_view name;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
  };

  void Clear();
  bool BuildNameIndex();
  const Run* FindRun(std::string_view metric) const;

  std::string text_;
  std::string unescaped_;  // escaped label values, unescaped; reserved to the text's size
  std::vector<Series> samples_;
  std::vector<Label> labels_;
  std::vector<Run> runs_;
  std::vector<std::uint32_t> slots_;  // open addressing: run index + 1, 0 = free
  ParseError error_;
  std::vector<std::string>* lookups_ = nullptr;
};

}  // namespace corvane::remote
