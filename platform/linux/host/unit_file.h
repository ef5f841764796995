// The text of the service's systemd unit (systemd.service(5), systemd.exec(5)), made from the
// template packaging/corvane.service.in, which is built into the program. The template says
// what the unit grants and why; this fills in the program, the service's user, its environment
// and log folders.
//
// Pure function; any thread.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

struct UnitFileOptions {
  std::string program;                        // absolute path of the program to run
  std::vector<std::string> read_write_paths;  // log folders; each must exist when it starts
  std::vector<std::pair<std::string, std::string>> environment;  // passed to the program
};

// EINVAL when a path or value holds a control byte (a line feed would start a new
// directive) or the program path is not absolute.
HostResult<std::string> MakeUnitFile(const UnitFileOptions& options);

// The same from another template, with the same placeholders.
HostResult<std::string> MakeUnitFile(std::string_view unit_template,
                                     const UnitFileOptions& options);

// One word of a unit file: in double quotes with C escapes, "%" doubled so that systemd
// does not take it for a specifier.
std::string QuoteUnitWord(std::string_view word);

}  // namespace corvane::host
