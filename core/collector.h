// The collector thread: connects to the machines the engine's counter paths name, opens one
// query for all axes and samples it at the engine's interval until asked to stop, storing every
// reading in the engine, having the activity log written and the window repainted.
//
// Threads: RunCollector is the body of the thread Corvane::Start creates; nothing else calls it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

class CollectorControl;
class Corvane;

// Runs the collector for `engine` until the control asks it to stop, then leaves every counter
// unavailable and the control idle. The engine must outlive the call.
void RunCollector(CollectorControl& control, Corvane& engine);

// The connect status text: `format` with its "%s" replaced by the machine name (the name is
// never read as a format itself). Empty when the format is empty.
std::string FormatConnecting(std::string_view format, std::string_view machine);

// How long one collection may wait for slow machines at an interval of `interval_s` seconds.
std::chrono::milliseconds CollectTimeLimit(int interval_s);

// A monotonic millisecond tick; wraps after 49.7 days.
std::uint32_t TickMs();

}  // namespace corvane
