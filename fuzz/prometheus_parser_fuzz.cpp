// Any bytes as an exporter's page: the streaming parser, the page index and every counter of
// both exporters' tables must neither crash nor hand out a view outside the page or the
// parser's own buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"
#include "platform/remote/prometheus_parser.h"

namespace {

using corvane::remote::ExpositionParser;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void ParseStreaming(std::string_view page) {
  ExpositionParser parser(page);
  corvane::remote::Sample sample;
  std::size_t samples = 0;
  ExpositionParser::Result result;
  while ((result = parser.Next(&sample)) == ExpositionParser::Result::kSample) {
    ++samples;
    Check(!sample.name.empty() && Inside(sample.name, page));
    Check(sample.labels.size() <= ExpositionParser::kMaxLabels);
    for (const auto& label : sample.labels) {
      Check(!label.name.empty() && Inside(label.name, page));
      // A value is a view into the page or, unescaped, shorter than the buffer.
      Check(Inside(label.value, page) || label.value.size() <= ExpositionParser::kUnescapeBytes);
    }
  }
  if (result == ExpositionParser::Result::kError) {
    Check(parser.error().line >= 1 && !parser.error().reason.empty());
    Check(parser.Next(&sample) == ExpositionParser::Result::kError);
  }
}

void ReadEveryCounter(const corvane::remote::ExporterPage& page) {
  using namespace corvane::remote;
  for (ExporterKind kind : {ExporterKind::kNode, ExporterKind::kWindows}) {
    for (const ObjectDef& object : ObjectsOf(kind)) {
      std::vector<std::string> instances;
      object.list_instances(page, &instances);
      instances.emplace_back("_Total");
      for (const CounterDef& counter : object.counters) {
        (void)Exposes(page, counter);
        for (const std::string& name : instances) {
          (void)CheckInstance(page, object, true, name);
          RawFigures figures;
          (void)counter.extract(ScrapeView{&page, 1.8e9}, InstanceRef{name, name == "_Total"},
                                &figures);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  ParseStreaming(page);

  corvane::remote::ExporterPage indexed;
  if (!indexed.Load(page)) {
    Check(indexed.samples().empty());
    return 0;
  }
  for (const auto& series : indexed.samples()) {
    const auto group = indexed.Find(series.name);
    Check(!group.empty() && &series >= group.data() && &series < group.data() + group.size());
    for (const auto& label : indexed.LabelsOf(series)) Check(!label.name.empty());
  }
  (void)corvane::remote::RecogniseExporter(indexed);
  ReadEveryCounter(indexed);
  return 0;
}
