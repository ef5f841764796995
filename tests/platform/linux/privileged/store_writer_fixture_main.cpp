// The tests' store writer: the real writer's work aimed at $CORVANE_DEFAULT_REGISTRY (a hive in
// a temporary folder) instead of the machine-wide store, so that the elevated path can run end
// to end without touching /etc. Built for the tests only and never installed.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/linux/privileged/privileged_store_write.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string message;
  const int status = corvane::host::RunStoreWriter(
      args, corvane::host::HiveFile(corvane::host::Hive::kDefaultUser), {}, &message);
  if (!message.empty()) std::printf("%s\n", message.c_str());
  return status;
}
