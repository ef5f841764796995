#include "service/command_line.h"

#include "core/counter_path.h"

namespace corvane::service {

ServiceCommand ParseServiceCommand(const std::vector<std::string>& args) {
  if (args.size() < 2) return ServiceCommand::kDispatch;
  const std::string_view first = args[1];
  if (first.empty() || (first[0] != '-' && first[0] != '/')) return ServiceCommand::kDispatch;
  const std::string_view word = first.substr(1);
  if (NamesEqual(word, "install")) return ServiceCommand::kInstall;
  if (NamesEqual(word, "remove")) return ServiceCommand::kRemove;
  if (NamesEqual(word, "run")) return ServiceCommand::kRun;
  if (NamesEqual(word, "-help") || NamesEqual(word, "help") || NamesEqual(word, "h"))
    return ServiceCommand::kHelp;
  if (NamesEqual(word, "-version")) return ServiceCommand::kVersion;
  if (first[0] == '-' && first.size() > 1) return ServiceCommand::kUnknown;
  return ServiceCommand::kDispatch;
}

RunArguments ParseRunArguments(const std::vector<std::string>& args) {
  RunArguments run;
  struct Option {
    std::string_view name;
    std::optional<std::string>* value;
    const char* needs;
  };
  const Option options[] = {
      {"--metrics", &run.metrics_address, "an address, e.g. --metrics 127.0.0.1:9393"},
      {"--web-config", &run.web_config, "a file, e.g. --web-config /etc/corvane/web.yml"},
  };
  bool have_profile = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    bool taken = false;
    for (const Option& option : options) {
      const std::size_t length = option.name.size();
      if (NamesEqual(arg, option.name)) {
        if (i + 1 >= args.size()) {
          run.error = std::string(option.name) + " needs " + option.needs;
          return run;
        }
        *option.value = args[++i];
        taken = true;
      } else if (arg.size() > length && arg[length] == '=' &&
                 NamesEqual(arg.substr(0, length), option.name)) {
        *option.value = std::string(arg.substr(length + 1));
        taken = true;
      }
      if (taken) break;
    }
    if (!taken && !have_profile) {
      run.profile = args[i];
      have_profile = true;
    }
  }
  return run;
}

std::string UsageText(std::string_view program_file_name) {
  const std::string name(program_file_name);
  return "Usage:\n"
         "  " +
         name +
         " -install        to install the service\n"
         "  " +
         name +
         " -remove         to remove the service\n"
         "  " +
         name + " -run [profile]  to start as a console app\n";
}

}  // namespace corvane::service
