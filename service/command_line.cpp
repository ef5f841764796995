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
  return ServiceCommand::kDispatch;
}

RunArguments ParseRunArguments(const std::vector<std::string>& args) {
  static constexpr std::string_view kMetrics = "--metrics";
  RunArguments run;
  bool have_profile = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (NamesEqual(arg, kMetrics)) {
      if (i + 1 >= args.size()) {
        run.error = "--metrics needs an address, e.g. --metrics 127.0.0.1:9393";
        return run;
      }
      run.metrics_address = args[++i];
    } else if (arg.size() > kMetrics.size() && arg[kMetrics.size()] == '=' &&
               NamesEqual(arg.substr(0, kMetrics.size()), kMetrics)) {
      run.metrics_address = std::string(arg.substr(kMetrics.size() + 1));
    } else if (!have_profile) {
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
