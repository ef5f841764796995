// Runs another program (systemctl) from an argument vector, never through a shell. The child
// starts with an empty signal mask and default signal actions, whatever the parent blocks,
// and with standard input from /dev/null.
//
// One thread owns a ChildProcess; destroying one that still runs waits for it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

class ChildProcess {
 public:
  // Starts argv[0], looked up in PATH when it holds no slash. With capture_output, the
  // child's standard output is collected by Wait; otherwise it shares the parent's.
  static HostResult<ChildProcess> Start(const std::vector<std::string>& argv, bool capture_output);

  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess();

  // True while the child has not ended (does not block).
  bool Running();
  // Waits for the end; the exit status, or 128 + the signal number that ended the child.
  HostResult<int> Wait();
  // What the child wrote to standard output (after Wait, with capture_output).
  const std::string& output() const { return output_; }

 private:
  void ReadOutput();

  pid_t pid_ = -1;
  int output_fd_ = -1;
  std::optional<int> exit_status_;
  std::string output_;
  std::string program_;  // for error contexts
};

// Starts a program and waits for it; its exit status, or the reason it could not run.
HostResult<int> RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr);

}  // namespace corvane::host
