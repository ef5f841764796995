// Where the service keeps the default profile's activity log when no profile could be read.
// The log goes to the "Logs" folder under a base folder, which is, in this order:
//   1. the program's folder, when its "Logs" folder (or, while there is none, the program's
//      folder itself) is writable and the program does not lie in the system's read-only
//      trees (/usr, /bin, /sbin, /lib...), where an installed copy lives;
//   2. systemd's state directory for the unit ($STATE_DIRECTORY, from StateDirectory=corvane);
//   3. ${XDG_STATE_HOME:-$HOME/.local/state}/corvane, for a console run.
// Pure function over its inputs; any thread.
#pragma once

#include <functional>
#include <string>

namespace corvane::service {

struct LogFolderInputs {
  std::string program_folder;
  std::string state_directory;  // $STATE_DIRECTORY; systemd separates several with ":"
  std::string xdg_state_home;   // $XDG_STATE_HOME
  std::string home;             // $HOME
  // Whether this process may write "Logs" under the program's folder: the "Logs" folder, or
  // while there is none the program's folder, is writable (access(2) by default).
  std::function<bool(const std::string& program_folder)> program_logs_writable;

  static LogFolderInputs FromEnvironment(std::string program_folder);
};

// Whether a folder lies in one of the system's read-only program trees.
bool InSystemTree(const std::string& folder);

// The base folder; its "Logs" folder holds the log. Falls back on the program's folder when
// none of the others can be named.
std::string ChooseLogBase(const LogFolderInputs& inputs);

}  // namespace corvane::service
