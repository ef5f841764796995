// A self-signed certificate for "localhost" and its key, made at test time with the openssl
// program into a folder (key mode 0600), so no key lives in the repository. Test thread only.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::test_support {

// Writes `<name>.crt` and `<name>.key` into `folder`; false when openssl failed.
inline bool MakeTestCertificate(const std::filesystem::path& folder, const std::string& name) {
  const std::string cert = (folder / (name + ".crt")).string();
  const std::string key = (folder / (name + ".key")).string();
  std::vector<std::string> args = {"openssl",
                                   "req",
                                   "-x509",
                                   "-newkey",
                                   "ec",
                                   "-pkeyopt",
                                   "ec_paramgen_curve:prime256v1",
                                   "-nodes",
                                   "-days",
                                   "2",
                                   "-subj",
                                   "/CN=localhost",
                                   "-addext",
                                   "subjectAltName=DNS:localhost,IP:127.0.0.1",
                                   "-keyout",
                                   key,
                                   "-out",
                                   cert};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "openssl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  pid_t waited = 0;
  do {
    waited = ::waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  return ::chmod(key.c_str(), 0600) == 0;
}

}  // namespace corvane::test_support
