// Any bytes as a Prometheus server's answer: the reader must neither crash nor keep more
// series or samples than its limits, and what it reads must write back as exporter pages that
// the page index and both exporters' counter tables take without harm, and that equal the
// pages filled straight from the answer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/exporter_counters.h"
#include "platform/remote/exporter_page.h"
#include "platform/remote/server_answer.h"
#include "platform/remote/server_series.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane::remote;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  AnswerLimits limits;
  limits.max_series = 64;
  limits.max_samples = 256;
  ServerAnswer answer;
  std::string reason;
  if (!ParseServerAnswer(text, limits, &answer, &reason)) {
    Check(!reason.empty());
    return 0;
  }
  Check(answer.series.size() <= limits.max_series);
  std::size_t samples = 0;
  for (const ServerSeries& series : answer.series) samples += series.samples.size();
  Check(samples <= limits.max_samples);
  if (!answer.success) Check(!ErrorOf(answer).empty());

  for (const auto& [instance, series] : SeriesByInstance(answer)) {
    Check(!instance.empty());
    ExporterPage page;
    const bool written = page.Load(PageText(series));
    // Filled straight from the answer, the page holds what its text holds.
    ExporterPage filled;
    const bool loaded = LoadPage(series, &filled);
    if (written) {
      Check(loaded);
      Check(filled.samples().size() == page.samples().size());
      for (std::size_t i = 0; i < page.samples().size(); ++i) {
        const ExporterPage::Series& a = page.samples()[i];
        const ExporterPage::Series& b = filled.samples()[i];
        Check(a.name == b.name && a.label_count == b.label_count);
        Check(a.value == b.value || (a.value != a.value && b.value != b.value));
        for (std::size_t l = 0; l < a.label_count; ++l) {
          Check(page.LabelsOf(a)[l].name == filled.LabelsOf(b)[l].name);
          Check(page.LabelsOf(a)[l].value == filled.LabelsOf(b)[l].value);
        }
      }
    }
    if (!written) continue;
    const ExporterKind kind = RecogniseExporter(page);
    std::vector<std::string> objects;
    OfferedObjects(page, kind, &objects);
    for (const ObjectDef& object : ObjectsOf(kind)) {
      for (const CounterDef& counter : object.counters) {
        RawFigures figures;
        (void)counter.extract(ScrapeView{&page, 1.8e9}, InstanceRef{"_Total", true}, &figures);
      }
    }
  }
  return 0;
}
