// corvane-store-write: writes the default user's values that a desktop user may set (see
// privileged_store_write.h). Run by pkexec; takes its arguments as they are, never a shell.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/privileged/privileged_store_write.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  // pkexec sets PKEXEC_UID for the program it runs with administrator rights.
  const bool under_pkexec = std::getenv("PKEXEC_UID") != nullptr;
  std::string message;
  const int status = corvane::host::RunStoreWriter(args, under_pkexec, &message);
  if (!message.empty()) std::printf("%s\n", message.c_str());
  return status;
}
