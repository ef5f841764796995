#include "tests/platform/linux/proc/proc_tree.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace corvane::local::testing {
namespace fs = std::filesystem;

namespace {

void WriteInPlace(const fs::path& path, std::string_view content) {
  fs::create_directories(path.parent_path());
  // std::ofstream truncates and rewrites the same inode: an open descriptor sees the new text.
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void Sync(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  std::set<std::string> wanted;
  for (const auto& entry : fs::directory_iterator(from)) {
    const std::string name = entry.path().filename().string();
    wanted.insert(name);
    const fs::path target = to / name;
    if (entry.is_symlink()) {
      if (!fs::is_symlink(target)) {
        fs::remove_all(target);
        fs::create_symlink(fs::read_symlink(entry.path()), target);
      }
    } else if (entry.is_directory()) {
      Sync(entry.path(), target);
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      WriteInPlace(target, text.str());
    }
  }
  for (const auto& entry : fs::directory_iterator(to)) {
    if (!wanted.count(entry.path().filename().string())) fs::remove_all(entry.path());
  }
}

// Trees are a few hundred small files made and removed per test: memory-backed /dev/shm keeps
// that fast where the temporary folder sits on a slow disk.
fs::path TreeParent() {
  std::error_code error;
  if (::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", error) &&
      ::access("/dev/shm", W_OK) == 0)
    return "/dev/shm";
  return fs::temp_directory_path();
}

}  // namespace

ProcTree::ProcTree() {
  std::string pattern = (TreeParent() / "corvane-proc-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  root_ = pattern;
  fs::create_directories(root_ / "proc");
  fs::create_directories(root_ / "sys");
}

ProcTree::~ProcTree() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void ProcTree::UseSnapshot(std::string_view name) {
  Sync(fs::path(CORVANE_FIXTURES_DIR) / "proc" / std::string(name), root_);
}

void ProcTree::Write(std::string_view relative, std::string_view content) {
  WriteInPlace(root_ / std::string(relative), content);
}

void ProcTree::Remove(std::string_view relative) { fs::remove_all(root_ / std::string(relative)); }

std::string ProcTree::Read(std::string_view relative) const {
  std::ifstream in(root_ / std::string(relative), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void ProcTree::SetVolume(const std::string& mount_point, std::uint64_t total_bytes,
                         std::uint64_t available_bytes) {
  state_->failures.erase(mount_point);
  state_->volumes[mount_point] = VolumeSpace{total_bytes, available_bytes};
}

void ProcTree::FailVolume(const std::string& mount_point, int error) {
  state_->volumes.erase(mount_point);
  state_->failures[mount_point] = error;
}

LocalProviderOptions ProcTree::Options() const {
  LocalProviderOptions options;
  options.proc_root = (root_ / "proc").string();
  options.sys_root = (root_ / "sys").string();
  std::shared_ptr<State> state = state_;
  options.monotonic_clock = [state] { return state->now_ns; };
  options.volume_space = [state](const std::string& mount_point, VolumeSpace* space) {
    if (const auto failure = state->failures.find(mount_point); failure != state->failures.end())
      return failure->second;
    const auto volume = state->volumes.find(mount_point);
    if (volume == state->volumes.end()) return ENOENT;
    *space = volume->second;
    return 0;
  };
  return options;
}

}  // namespace corvane::local::testing
