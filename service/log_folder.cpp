#include "service/log_folder.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>

namespace corvane::service {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

// Trees that hold installed programs and that the system keeps read-only (or wants kept so).
bool InSystemTree(const std::string& folder) {
  static constexpr std::array<std::string_view, 6> kTrees = {"/usr", "/bin",   "/sbin",
                                                             "/lib", "/lib64", "/libexec"};
  for (const std::string_view tree : kTrees) {
    if (folder.compare(0, tree.size(), tree) == 0 &&
        (folder.size() == tree.size() || folder[tree.size()] == '/')) {
      return true;
    }
  }
  return false;
}

LogFolderInputs LogFolderInputs::FromEnvironment(std::string program_folder) {
  LogFolderInputs inputs;
  inputs.program_folder = std::move(program_folder);
  inputs.state_directory = Env("STATE_DIRECTORY");
  inputs.xdg_state_home = Env("XDG_STATE_HOME");
  inputs.home = Env("HOME");
  inputs.program_logs_writable = [](const std::string& folder) {
    const std::string logs = (folder == "/" ? "" : folder) + "/Logs";
    const std::string& target = access(logs.c_str(), F_OK) == 0 ? logs : folder;
    // access() also answers EROFS for a folder that ProtectSystem= made read-only.
    return access(target.c_str(), W_OK | X_OK) == 0;
  };
  return inputs;
}

std::string ChooseLogBase(const LogFolderInputs& inputs) {
  const std::string& program = inputs.program_folder;
  if (!program.empty() && !InSystemTree(program)) {
    if (inputs.program_logs_writable(program)) return program;
  }
  if (!inputs.state_directory.empty()) {
    const auto colon = inputs.state_directory.find(':');
    return inputs.state_directory.substr(0, colon);
  }
  // The XDG base-directory rules ignore a relative XDG_STATE_HOME.
  if (!inputs.xdg_state_home.empty() && inputs.xdg_state_home[0] == '/') {
    return inputs.xdg_state_home + "/corvane";
  }
  if (!inputs.home.empty()) return inputs.home + "/.local/state/corvane";
  return program;
}

}  // namespace corvane::service
