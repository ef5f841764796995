// The service program's command line and usage text. Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::service {

// The service's name, display name and event source.
inline constexpr std::string_view kServiceName = "Corvane";
// The program's file name as the usage text shows it. Linux programs carry no extension.
inline constexpr std::string_view kProgramFileName = "corvservice";

enum class ServiceCommand {
  kInstall,   // -install: write the unit
  kRemove,    // -remove: stop and delete the unit
  kRun,       // -run [profile]: run in the console
  kHelp,      // --help (also -h, -help): print the usage and end
  kVersion,   // --version: print the version and end
  kUnknown,   // another word after "-": say so, then as kDispatch
  kDispatch,  // anything else: print the usage and hand the process to systemd
};

// The first argument after the program counts only when it starts with "-" or "/"; the rest
// of it is compared without regard to case. args[0] is the program.
ServiceCommand ParseServiceCommand(const std::vector<std::string>& args);

// What follows "-run": the profile (the first other argument; empty when none); with
// "--metrics ADDRESS" or "--metrics=ADDRESS" (the word in any case), where to serve the
// metrics page; with "--web-config FILE" (or "=FILE"), the web configuration file that puts
// TLS and basic authentication on that page. Arguments after the profile are ignored. `error`
// is set when "--metrics" or "--web-config" has nothing after it.
struct RunArguments {
  std::string profile;
  std::optional<std::string> metrics_address;
  std::optional<std::string> web_config;
  std::string error;
};
RunArguments ParseRunArguments(const std::vector<std::string>& args);

// The four usage lines, each ending in a line feed.
std::string UsageText(std::string_view program_file_name = kProgramFileName);

}  // namespace corvane::service
