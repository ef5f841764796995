// corvane-store-write: writes the default user's values that a desktop user may set into the
// machine-wide store (see privileged_store_write.h). Run by pkexec; takes its arguments as
// they are, never a shell, and its file from nowhere but itself.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/linux/privileged/privileged_store_write.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string message;
  const int status = corvane::host::RunStoreWriter(
      args, std::string(corvane::host::kDefaultUserHiveFile), {}, &message);
  if (!message.empty()) std::printf("%s\n", message.c_str());
  return status;
}
