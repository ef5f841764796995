// One DrawChart of a full engine-sized chart (32 axes; names, numbers and the three value
// texts on every axis) into the SVG surface, and into an 800 x 600 QImage through the QPainter
// surface, the desktop window's own path (lines on whole pixels; smoothed lines for
// comparison). Goal for the QImage: at most 0.5 ms per frame.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "chart/svg_surface.h"
#include "chart/wind_rose.h"

#if __has_include(<QGuiApplication>)
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "platform/qt/painter_surface.h"
#define CORVANE_BENCH_QT 1
#endif

namespace {

using corvane::chart::PenStyle;
using corvane::chart::Rect;
using corvane::chart::WindRose;

constexpr int kWidth = 800;   // pixels
constexpr int kHeight = 600;  // pixels

// Thirty-two counters as the default profile names them, with readings that need decimals.
std::unique_ptr<WindRose> FullChart() {
  auto chart = std::make_unique<WindRose>(32, 4);
  chart->SetFont(corvane::chart::FontSpec{"MS Sans Serif", 12});
  chart->SetTextColors(0xFFFFFF, 0x000000);
  chart->SetAxisPen(PenStyle::kSolid, 1, 0x808080);
  chart->SetGridPen(PenStyle::kSolid, 1, 0x808080);
  chart->SetCriticalPen(PenStyle::kSolid, 1, 0x0000FF);
  const char* series[3] = {"Max Values", "Historical Values", "Current Values"};
  const corvane::chart::Colour colours[3] = {0xFFFF7F, 0x00CC00, 0x00FFFF};
  for (int s = 0; s < 3; ++s) {
    chart->AddSeries(series[s], "");
    chart->SetSeriesPen(s, PenStyle::kSolid, s == 1 ? 2 : 1, colours[s]);
    chart->SetSeriesTextColors(s, colours[s], -1);
  }
  const char* names[4] = {"% Processor Time", "Disk Bytes/sec", "% Committed Bytes In Use",
                          "Bytes Total/sec"};
  for (int axis = 0; axis < 32; ++axis) {
    const std::string name = std::string(names[axis % 4]) + " " + std::to_string(axis);
    chart->AddAxis(name, "", false, 0.0, 100.0, 80.0, 1.0, nullptr);
    for (int s = 0; s < 3; ++s) chart->SetSeriesValue(axis, 12.25 + axis * 2.5 + s * 7.0, s);
  }
  chart->SetShowNames(1);
  chart->SetShowNumbers(1);
  chart->SetShowValues(1);
  return chart;
}

void BM_DrawChartSvg(benchmark::State& state) {
  const auto chart = FullChart();
  corvane::chart::SvgSurface surface(kWidth, kHeight);
  for (auto _ : state) {
    surface.ClearDrawing();
    chart->DrawChart(surface, Rect{0, 0, kWidth, kHeight});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawChartSvg)->Unit(benchmark::kMicrosecond);

#ifdef CORVANE_BENCH_QT
// state.range(0): 0 draws lines on whole pixels (the window's default), 1 smooths them.
void BM_DrawChartQImage(benchmark::State& state) {
  if (QGuiApplication::instance() == nullptr) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "render_draw_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }
  const auto chart = FullChart();
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::black);
  QPainter painter(&image);
  corvane::qt::PainterSurface surface(
      painter, state.range(0) == 0 ? corvane::qt::PainterSurface::LineSmoothing::kOff
                                   : corvane::qt::PainterSurface::LineSmoothing::kOn);
  surface.SetTextBackground(corvane::chart::TextBackground::kTransparent);
  for (auto _ : state) {
    chart->DrawChart(surface, Rect{0, 0, kWidth, kHeight});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawChartQImage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
