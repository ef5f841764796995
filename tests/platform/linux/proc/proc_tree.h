// A /proc and /sys tree in a temporary folder for provider tests: captured snapshots copied in
// (files rewritten in place, as the kernel's files keep their identity while a provider holds
// them open), single files rewritten from literal text, a scripted monotonic clock and scripted
// volume sizes. Test thread only.
#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/proc/local_provider.h"

namespace corvane::local::testing {

class ProcTree {
 public:
  ProcTree();
  ~ProcTree();
  ProcTree(const ProcTree&) = delete;
  ProcTree& operator=(const ProcTree&) = delete;

  // Makes the tree equal to tests/fixtures/proc/<name>: files written in place, entries the
  // snapshot lacks removed (so pid folders come and go).
  void UseSnapshot(std::string_view name);

  // Writes one file below the root ("proc/swaps"), in place when it exists.
  void Write(std::string_view relative, std::string_view content);
  void Remove(std::string_view relative);
  std::string Read(std::string_view relative) const;

  // The clock the provider sees, in seconds.
  void SetClock(double seconds) { state_->now_ns = static_cast<std::int64_t>(seconds * 1e9); }

  // What statvfs answers for a mount point; mount points without an answer fail with ENOENT.
  void SetVolume(const std::string& mount_point, std::uint64_t total_bytes,
                 std::uint64_t available_bytes);
  void FailVolume(const std::string& mount_point, int error);

  LocalProviderOptions Options() const;
  const std::filesystem::path& root() const { return root_; }

 private:
  struct State {
    std::int64_t now_ns = 0;
    std::map<std::string, VolumeSpace> volumes;
    std::map<std::string, int> failures;
  };

  std::filesystem::path root_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace corvane::local::testing
