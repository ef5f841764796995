// SingleInstance: the rule that one full-screen screen saver runs per user and display. The
// first instance holds an advisory lock on a file in the user's runtime folder and writes its
// window's id there; a later one finds the lock taken and reads the id, to bring that window
// forward. The lock goes with the process, however it ends.
//
// One thread owns an instance.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace corvane::x11 {

class SingleInstance {
 public:
  struct Claim {
    std::unique_ptr<SingleInstance> held;  // this process is the one
    std::uint32_t running_window = 0;      // else the window of the one that runs (0: unknown)
    std::string error;                     // neither: why the lock file could not be used
  };

  // `file` is the lock file; LockFileFor gives the usual one.
  static Claim Take(const std::string& file);
  // $XDG_RUNTIME_DIR (else the temporary folder) / "corvscreen-<display>.lock".
  static std::string LockFileFor(const std::string& display);

  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Records the window a later instance should raise. False when the file cannot be written.
  bool Publish(std::uint32_t window);

 private:
  explicit SingleInstance(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace corvane::x11
