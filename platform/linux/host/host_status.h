// The outcome of a host operation (settings store, unit files, child processes): an errno-style
// code and the context it happened in, such as "rename /etc/Quillfen/Corvane/registry.ini".
// A plain value; any thread.
#pragma once

#include <string>
#include <utility>

namespace corvane::host {

class HostStatus {
 public:
  HostStatus() = default;  // success

  static HostStatus Error(int code, std::string context) {
    return HostStatus(code, std::move(context));
  }

  bool ok() const { return code_ == 0; }
  int code() const { return code_; }  // errno value; 0 on success
  const std::string& context() const { return context_; }

  // "context: <system text> (0x<code>)", or "" on success.
  std::string Message() const;

 private:
  HostStatus(int code, std::string context) : code_(code), context_(std::move(context)) {}

  int code_ = 0;
  std::string context_;
};

// A value together with the status of the operation that produced it; the value is only
// meaningful when the status is ok.
template <typename T>
struct HostResult {
  T value{};
  HostStatus status;

  bool ok() const { return status.ok(); }
};

// The system's text for an errno value followed by the value in hexadecimal, the form the
// service prints after a failed install or remove: "Permission denied (0xd)".
std::string ErrorText(int code);

}  // namespace corvane::host
