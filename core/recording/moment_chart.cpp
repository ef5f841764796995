#include "core/recording/moment_chart.h"

#include "core/recording/local_seconds.h"

namespace corvane::recording {

void ShowMoment(chart::WindRose& chart, const Moment& moment) {
  chart.Lock();
  const int axes = std::min(chart.GetAxisCount(), static_cast<int>(moment.values.size()));
  for (int i = 0; i < axes; ++i) {
    const MomentValue& value = moment.values[static_cast<std::size_t>(i)];
    if (value.available) {
      chart.SetSeriesValue(i, value.maximum, 0);
      chart.SetSeriesValue(i, value.average, 1);
      chart.SetSeriesValue(i, value.raw, 2);
    } else {
      for (int series = 0; series < 3; ++series) {
        chart.SetSeriesValue(i, 0.0, series);
        chart.SetValueState(i, chart::ValueState::kNotAvailable, series);
      }
    }
  }
  chart.Unlock();
}

std::string DescribeMoment(const Moment& moment) {
  std::string text = "Recorded " + FormatLocalSeconds(moment.time);
  if (moment.states_only)
    text += ". Only the moments at which a counter changed its state were recorded";
  return text;
}

}  // namespace corvane::recording
