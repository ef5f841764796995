// corvsnap: samples a profile's counters for a while and writes the wind rose as SVG or PNG.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/system_provider.h"
#include "tools/corvsnap/snap_tool.h"

#if CORVANE_SNAPSHOT_PNG
#include <QGuiApplication>

#include "tools/corvsnap/png_snapshot.h"
#endif

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  corvane::corvsnap::PngWriter png;
#if CORVANE_SNAPSHOT_PNG
  // Fonts need a GUI application, made only when a PNG is asked for. Servers have no display,
  // so it draws off screen unless told otherwise.
  int qt_argc = 1;
  std::unique_ptr<QGuiApplication> app;
  png = [&](corvane::Corvane& engine, const corvane::corvsnap::SnapOptions& options,
            std::string* error) {
    if (!app) {
      if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
      app = std::make_unique<QGuiApplication>(qt_argc, argv);
    }
    return corvane::corvsnap::WritePngSnapshot(engine, options, error);
  };
#endif
  const auto provider = corvane::MakeSystemProvider();
  return corvane::corvsnap::RunSnapTool(args, *provider, png, std::cout, std::cerr);
}
