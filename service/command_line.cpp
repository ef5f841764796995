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
