// Runs the real corvservice program for integration tests: from a copy in a folder of the
// test's own (which becomes the program's folder), with a chosen environment, its output in
// files. Test thread only.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace corvane::testing_support {

// Puts the program into `folder`: a hard link where the file system allows, else a copy.
inline std::string PlaceProgram(const std::string& program, const std::filesystem::path& folder) {
  const std::filesystem::path target = folder / std::filesystem::path(program).filename();
  std::error_code error;
  std::filesystem::create_hard_link(program, target, error);
  if (error) std::filesystem::copy_file(program, target);
  return target.string();
}

// The environment that keeps a corvservice under test away from this machine's settings, units,
// systemd and state: every file it may touch lies under `folder`. Tests add or change entries.
inline std::map<std::string, std::optional<std::string>> IsolatedServiceEnv(
    const std::filesystem::path& folder) {
  return {{"CORVANE_DEFAULT_REGISTRY", (folder / "etc/registry.ini").string()},
          {"CORVANE_USER_REGISTRY", (folder / "home/registry.ini").string()},
          {"CORVANE_UNIT_DIR", (folder / "units").string()},
          {"CORVANE_SYSTEMCTL", ""},
          {"NOTIFY_SOCKET", std::nullopt},
          {"INVOCATION_ID", std::nullopt},
          {"STATE_DIRECTORY", std::nullopt},
          {"XDG_STATE_HOME", (folder / "state").string()}};
}

class ProgramRun {
 public:
  // `env` changes the test's environment: a value sets a variable, nothing removes it.
  ProgramRun(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::optional<std::string>>& env,
             const std::filesystem::path& folder)
      : out_((folder / "stdout.txt").string()), err_((folder / "stderr.txt").string()) {
    std::vector<std::string> arg_texts = {program};
    arg_texts.insert(arg_texts.end(), args.begin(), args.end());
    std::vector<std::string> env_texts;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (env.count(text.substr(0, text.find('='))) == 0) env_texts.push_back(text);
    }
    for (const auto& [name, value] : env) {
      if (value) env_texts.push_back(name + "=" + *value);
    }
    std::vector<char*> argv;
    for (std::string& text : arg_texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& text : env_texts) envp.push_back(text.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const int error =
        posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + program);
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  ~ProgramRun() {
    if (!status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  void Signal(int signal) const { kill(pid_, signal); }
  pid_t pid() const { return pid_; }

  // The raw wait status once the program ended, or nothing when it did not end in time (it
  // is then killed).
  std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
      } else if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        status_ = -1;
        return std::nullopt;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    if (*status_ == -1) return std::nullopt;
    return status_;
  }

  const std::string& out_file() const { return out_; }
  const std::string& err_file() const { return err_; }

 private:
  std::string out_;
  std::string err_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Waits until `done` holds or the limit passes; whether it held.
template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace corvane::testing_support
