// Puts a recorded moment on a wind rose the way the engine's SetValue and SetUnavailable do
// for a live sample: maximum, average and current value into series 0, 1 and 2 (the chart
// scales them and flags critical ones), or not available in all three. Any thread; takes the
// chart's lock for the whole moment.
#pragma once

#include "chart/wind_rose.h"
#include "core/recording/recording.h"

namespace corvane::recording {

void ShowMoment(chart::WindRose& chart, const Moment& moment);

// "Recorded 2026-12-09 00:28:09", and, when the log kept only changes of state, a second
// sentence saying so. For a caption or a status bar.
std::string DescribeMoment(const Moment& moment);

}  // namespace corvane::recording
