#include "platform/linux/host/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

extern char** environ;

namespace corvane::host {
namespace {

int StatusOf(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return 255;
}

}  // namespace

HostResult<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                             bool capture_output) {
  HostResult<ChildProcess> result;
  if (argv.empty()) {
    result.status = HostStatus::Error(EINVAL, "run: no program");
    return result;
  }
  result.value.program_ = argv[0];
  const std::string context = "run " + argv[0];

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  int pipe_fds[2] = {-1, -1};
  if (capture_output && pipe2(pipe_fds, O_CLOEXEC) != 0) {
    result.status = HostStatus::Error(errno, context);
    return result;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (capture_output) posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigfillset(&defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int error =
      posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (capture_output) close(pipe_fds[1]);
  if (error != 0) {
    if (capture_output) close(pipe_fds[0]);
    result.status = HostStatus::Error(error, context);
    return result;
  }
  result.value.pid_ = pid;
  result.value.output_fd_ = capture_output ? pipe_fds[0] : -1;
  return result;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    std::swap(pid_, other.pid_);
    std::swap(output_fd_, other.output_fd_);
    std::swap(exit_status_, other.exit_status_);
    std::swap(output_, other.output_);
    std::swap(program_, other.program_);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exit_status_) Wait();
  if (output_fd_ >= 0) close(output_fd_);
}

void ChildProcess::ReadOutput() {
  if (output_fd_ < 0) return;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(output_fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output_.append(buffer, static_cast<std::size_t>(got));
  }
  close(output_fd_);
  output_fd_ = -1;
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || exit_status_) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) {
    exit_status_ = StatusOf(status);
    return false;
  }
  return done == 0;
}

HostResult<int> ChildProcess::Wait() {
  HostResult<int> result;
  if (pid_ <= 0) {
    result.status = HostStatus::Error(ECHILD, "wait for " + program_);
    return result;
  }
  // Read first: a child that fills the pipe would otherwise never end.
  ReadOutput();
  while (!exit_status_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, 0);
    if (done == pid_) {
      exit_status_ = StatusOf(status);
    } else if (errno != EINTR) {
      result.status = HostStatus::Error(errno, "wait for " + program_);
      return result;
    }
  }
  result.value = *exit_status_;
  return result;
}

HostResult<int> RunProgram(const std::vector<std::string>& argv, std::string* output) {
  HostResult<ChildProcess> child = ChildProcess::Start(argv, output != nullptr);
  if (!child.ok()) return {0, child.status};
  HostResult<int> status = child.value.Wait();
  if (output != nullptr) *output = child.value.output();
  return status;
}

}  // namespace corvane::host
