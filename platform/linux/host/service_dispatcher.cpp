#include "platform/linux/host/service_dispatcher.h"

#include <cstdlib>

namespace corvane::host {
namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool StartedBySystemd() { return IsSet("NOTIFY_SOCKET") || IsSet("INVOCATION_ID"); }

bool StartServiceDispatcher(const std::function<void()>& service_main) {
  if (!StartedBySystemd()) return false;
  service_main();
  return true;
}

}  // namespace corvane::host
