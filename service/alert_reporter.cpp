#include "service/alert_reporter.h"

#include <charconv>
#include <string_view>

namespace corvane::service {
namespace {

std::string Named(const AlertEvent& event) {
  std::string text = event.name.empty() ? std::string(event.counter_path) : std::string(event.name);
  if (!event.name.empty() && !event.counter_path.empty()) {
    text += " (";
    text += event.counter_path;
    text += ")";
  }
  return text;
}

std::string ValueText(const AlertEvent& event) {
  return event.available ? AlertReporter::Number(event.value) : std::string("N/A");
}

}  // namespace

AlertReporter::AlertReporter(bool console, host::EventLog* events, std::FILE* err)
    : console_(console), events_(events), err_(err) {}

std::string AlertReporter::Number(double value) {
  char buffer[64];
  // Fixed notation, so the text does not follow the process locale.
  const std::to_chars_result written =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  if (written.ec != std::errc()) return "N/A";
  std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
  while (text.ends_with('0')) text.remove_suffix(1);
  if (text.ends_with('.')) text.remove_suffix(1);
  return std::string(text);
}

std::string AlertReporter::Text(const AlertEvent& event) {
  const std::string critical = Number(event.critical);
  if (event.entered) {
    return "Alert: " + Named(event) + " is " + ValueText(event) + ", above its critical value " +
           critical;
  }
  if (event.stopped) return "Alert over: " + Named(event) + ": monitoring stopped";
  return "Alert over: " + Named(event) + " is " + ValueText(event) + ", critical value " + critical;
}

void AlertReporter::AlertsChanged(std::span<const AlertEvent> changes, int /*in_alert*/) {
  for (const AlertEvent& event : changes) {
    const std::string text = Text(event);
    if (console_) {
      std::fprintf(err_, "%s\n", text.c_str());
      std::fflush(err_);
      continue;
    }
    if (events_ == nullptr) continue;
    const host::EventLog::Field fields[] = {
        {"CORVANE_COUNTER", std::string(event.counter_path)},
        {"CORVANE_AXIS", std::string(event.name)},
        {"CORVANE_VALUE", ValueText(event)},
        {"CORVANE_CRITICAL", Number(event.critical)},
        {"CORVANE_ALERT", event.entered   ? "entered"
                          : event.stopped ? "stopped"
                                          : "left"},
    };
    events_->Note(
        event.entered ? host::EventLog::Severity::kWarning : host::EventLog::Severity::kNotice,
        text, fields);
  }
}

}  // namespace corvane::service
