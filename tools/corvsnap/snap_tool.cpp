#include "tools/corvsnap/snap_tool.h"

#include <chrono>

#include "core/product_version.h"
#include "tools/corvsnap/log_snapshot.h"
#include "tools/corvsnap/snapshot.h"

namespace corvane::corvsnap {

int RunSnapshot(const SnapOptions& options, perf::Provider& provider, const PngWriter& png,
                std::ostream& err) {
  if (options.format == ImageFormat::kPng && !png) {
    err << "corvsnap: this corvsnap was built without Qt and writes SVG only; name the output "
           "*.svg\n";
    return kExitFailure;
  }
  Corvane engine(provider, /*interactive=*/false);
  std::string error;
  if (!PrepareEngine(engine, options.profile, &error)) {
    err << "corvsnap: " << error << '\n';
    return kExitFailure;
  }
  const auto draw = [&](std::string* draw_error) {
    if (options.format == ImageFormat::kPng) return png(engine, options, draw_error);
    return WritePicture(options.output, RenderSvg(engine, options.width, options.height),
                        draw_error);
  };
  if (!SampleAndDraw(engine, std::chrono::seconds(options.seconds), draw, &error)) {
    err << "corvsnap: " << error << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

int RunSnapTool(const std::vector<std::string_view>& args, perf::Provider& provider,
                const PngWriter& png, std::ostream& out, std::ostream& err) {
  const ParsedOptions parsed = ParseSnapOptions(args);
  if (parsed.help) {
    out << kUsage;
    return kExitOk;
  }
  if (parsed.version) {
    out << VersionLine("corvsnap");
    return kExitOk;
  }
  if (!parsed.options) {
    err << "corvsnap: " << parsed.error << '\n' << kUsage;
    return kExitUsage;
  }
  if (parsed.options->log) return RunLogSnapshot(*parsed.options, provider, png, out, err);
  return RunSnapshot(*parsed.options, provider, png, err);
}

}  // namespace corvane::corvsnap
