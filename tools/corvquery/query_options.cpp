#include "tools/corvquery/query_options.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace corvane::corvquery {
namespace {

constexpr std::string_view kUsage =
    "Usage: corvquery [--samples N] [--interval SECONDS] PATH...\n"
    "       corvquery --list [--machine HOST] [OBJECT]\n"
    "       corvquery --prometheus URL --list [--machine INSTANCE [OBJECT]]\n"
    "       corvquery --help | --version\n"
    "\n"
    "Prints performance counters as CSV: a header row with \"Time\" and the counter paths, then\n"
    "one row per sample with the local time and each counter's value (shortest exact decimal\n"
    "form; an empty cell when the counter has no value). Rate counters need two collections, so\n"
    "corvquery collects once, waits one interval and then prints N rows, one per interval.\n"
    "\n"
    "  PATH                \\Object(Instance)\\Counter, or \\\\HOST\\Object(Instance)\\Counter "
    "for\n"
    "                      a remote machine; for example \"\\Processor(_Total)\\% Processor "
    "Time\"\n"
    "  --samples N         number of rows to print, at least 1 (default 1)\n"
    "  --interval SECONDS  time between samples, from 0.001 to 86400 (default 1)\n"
    "  --list              print the objects of the machine, one per line\n"
    "  --list OBJECT       print every counter path of OBJECT, with each of its instances\n"
    "  --machine HOST      with --list: ask HOST (HOST or HOST:PORT) instead of this machine\n"
    "  --prometheus URL    read remote machines through the Prometheus server at URL: HOST\n"
    "                      is an instance as the server labels it (web-03:9100); with --list\n"
    "                      alone, print the server's instances with their job and \"up\" or\n"
    "                      \"down\", one per line\n"
    "  --help              print this help\n"
    "  --version           print the version\n"
    "\n"
    "Exit status: 0 done; 1 the counters could not be read or written; 2 a bad option, path,\n"
    "object or machine.\n";

std::optional<int> ParseSamples(std::string_view text) {
  int samples = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), samples);
  if (error != std::errc() || end != text.data() + text.size() || samples < 1) return std::nullopt;
  return samples;
}

std::optional<std::chrono::microseconds> ParseInterval(std::string_view text) {
  double seconds = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds))
    return std::nullopt;
  // Checked in seconds before converting, so the conversion cannot overflow.
  const double max_seconds = std::chrono::duration<double>(kMaxInterval).count();
  const double min_seconds = std::chrono::duration<double>(kMinInterval).count();
  if (seconds < min_seconds || seconds > max_seconds) return std::nullopt;
  return std::chrono::round<std::chrono::microseconds>(std::chrono::duration<double>(seconds));
}

// "host", "host:port" or "\\host" becomes "\\host"; nothing when no name is left or a
// backslash follows inside it (that would make it a path, not a machine).
std::optional<std::string> NormalizeMachine(std::string_view text) {
  if (text.starts_with("\\\\")) text.remove_prefix(2);
  if (text.empty() || text.find('\\') != std::string_view::npos) return std::nullopt;
  return "\\\\" + std::string(text);
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::string_view UsageText() { return kUsage; }

ParsedArgs ParseQueryArgs(std::span<const std::string_view> args) {
  ParsedArgs parsed;
  QueryOptions& options = parsed.options;
  std::vector<std::string> positionals;
  bool list = false;
  bool timing_given = false;  // --samples or --interval
  std::string machine_option;

  const auto fail = [&parsed](std::string message) {
    if (parsed.error.empty()) parsed.error = std::move(message);
  };

  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended || !arg.starts_with("-") || arg == "-") {
      positionals.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options.mode = Mode::kHelp;
      parsed.error.clear();
      return parsed;
    }
    if (arg == "--version") {
      options.mode = Mode::kVersion;
      parsed.error.clear();
      return parsed;
    }
    if (arg == "--list") {
      list = true;
      continue;
    }

    std::string_view name = arg;
    std::optional<std::string_view> value;
    if (const auto equals = arg.find('='); equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (name == "--list" && value) {
      list = true;
      positionals.emplace_back(*value);
      continue;
    }
    if (name != "--samples" && name != "--interval" && name != "--machine" &&
        name != "--prometheus") {
      fail("unknown option " + Quoted(name));
      continue;
    }
    if (!value) {
      if (i + 1 >= args.size()) {
        fail("option " + std::string(name) + " needs a value");
        continue;
      }
      value = args[++i];
    }

    if (name == "--samples") {
      timing_given = true;
      if (const auto samples = ParseSamples(*value)) {
        options.samples = *samples;
      } else {
        fail("option --samples needs a whole number from 1 to 2147483647, not " + Quoted(*value));
      }
    } else if (name == "--interval") {
      timing_given = true;
      if (const auto interval = ParseInterval(*value)) {
        options.interval = *interval;
      } else {
        fail("option --interval needs a number of seconds from 0.001 to 86400, not " +
             Quoted(*value));
      }
    } else if (name == "--prometheus") {
      if (value->starts_with("http://") || value->starts_with("https://")) {
        options.server = std::string(*value);
      } else {
        fail("option --prometheus needs an http:// or https:// address, not " + Quoted(*value));
      }
    } else {
      if (const auto machine = NormalizeMachine(*value)) {
        machine_option = *machine;
      } else {
        fail("option --machine needs a host name (HOST or HOST:PORT), not " + Quoted(*value));
      }
    }
  }
  if (!parsed.error.empty()) return parsed;

  if (list) {
    if (timing_given) {
      fail("--list cannot be combined with --samples or --interval");
    } else if (positionals.size() > 1) {
      fail("--list takes at most one object, not " + std::to_string(positionals.size()));
    } else if (positionals.empty()) {
      options.mode = !options.server.empty() && machine_option.empty() ? Mode::kListMachines
                                                                       : Mode::kListObjects;
    } else if (!options.server.empty() && machine_option.empty()) {
      fail("with --prometheus, --list OBJECT needs --machine INSTANCE");
    } else {
      options.mode = Mode::kListObject;
      options.object = std::move(positionals.front());
    }
    options.machine = std::move(machine_option);
    return parsed;
  }

  if (!machine_option.empty()) {
    fail(
        "--machine works with --list only; put the machine in the path "
        "(\\\\HOST\\Object\\Counter)");
  } else if (positionals.empty()) {
    fail("no counter path given");
  } else {
    options.mode = Mode::kSample;
    options.paths = std::move(positionals);
  }
  return parsed;
}

}  // namespace corvane::corvquery
