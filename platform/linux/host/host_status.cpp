#include "platform/linux/host/host_status.h"

#include <cstdio>
#include <cstring>

namespace corvane::host {

std::string ErrorText(int code) {
  // strerror_r in its GNU form may return a static string instead of filling the buffer.
  char buffer[256];
  const char* text = strerror_r(code, buffer, sizeof buffer);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(code));
  return std::string(text) + " (" + hex + ")";
}

std::string HostStatus::Message() const {
  if (ok()) return {};
  if (context_.empty()) return ErrorText(code_);
  return context_ + ": " + ErrorText(code_);
}

}  // namespace corvane::host
