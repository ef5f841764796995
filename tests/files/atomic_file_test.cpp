// The atomic writer on real files, through both of its ways: the unnamed temporary file and the
// named one that file systems without unnamed files get.
#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/support/temp_folder.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

std::string Read(const fs::path& path) { return test_support::ReadWholeFile(path); }

void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

unsigned ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// A process id that was just in use and is free now.
pid_t DeadProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

std::string TemporaryName(std::string_view target, pid_t pid, int n) {
  return "." + std::string(target) + "." + std::to_string(pid) + "-" + std::to_string(n) + ".tmp";
}

// Runs each case through the unnamed and the named temporary file.
class AtomicFileTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { AtomicFile::ForceNamedTemporaries(GetParam()); }
  void TearDown() override { AtomicFile::ForceNamedTemporaries(false); }

  TempFolder folder_;
};

TEST_P(AtomicFileTest, CreatesAndReplacesLeavingOnlyTheTarget) {
  const fs::path path = folder_ / "settings.ini";
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(path, "first", {}, &error)) << error;
  EXPECT_EQ(Read(path), "first");
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);

  AtomicFile file;
  ASSERT_TRUE(file.Open(path)) << file.error();
  ASSERT_TRUE(file.Write(std::string(300000, 'x')));
  ASSERT_TRUE(file.Write("end"));
  EXPECT_EQ(Read(path), "first") << "the target is untouched until the commit";
  ASSERT_TRUE(file.Commit()) << file.error();

  EXPECT_EQ(Read(path), std::string(300000, 'x') + "end");
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino) << "a new file, not the old one rewritten";
  EXPECT_EQ(folder_.Names(), std::set<std::string>{"settings.ini"});
}

TEST_P(AtomicFileTest, ModesOfNewAndReplacedFiles) {
  const mode_t old_umask = ::umask(077);
  AtomicFileOptions exact;
  exact.mode = 0644;
  exact.exact_mode = true;
  AtomicFileOptions masked;
  masked.mode = 0644;
  AtomicFileOptions keep = exact;
  keep.keep_attributes = true;
  std::string error;

  EXPECT_TRUE(WriteFileAtomically(folder_ / "exact", "x", exact, &error)) << error;
  EXPECT_TRUE(WriteFileAtomically(folder_ / "masked", "x", masked, &error)) << error;
  Put(folder_ / "kept", "old");
  ASSERT_EQ(::chmod((folder_ / "kept").c_str(), 0640), 0);
  EXPECT_TRUE(WriteFileAtomically(folder_ / "kept", "new", keep, &error)) << error;
  ::umask(old_umask);

  EXPECT_EQ(ModeOf(folder_ / "exact"), 0644U) << "whatever the umask";
  EXPECT_EQ(ModeOf(folder_ / "masked"), 0600U) << "the umask applies";
  EXPECT_EQ(ModeOf(folder_ / "kept"), 0640U) << "the replaced file's mode";
  EXPECT_EQ(Read(folder_ / "kept"), "new");
}

TEST_P(AtomicFileTest, CreateOnlyNeverTouchesAnExistingFile) {
  AtomicFileOptions create_only;
  create_only.replace = false;
  const fs::path path = folder_ / "corvane.service";
  std::string error;
  int code = 0;
  ASSERT_TRUE(WriteFileAtomically(path, "unit", create_only, &error, &code)) << error;
  EXPECT_FALSE(WriteFileAtomically(path, "other", create_only, &error, &code));
  EXPECT_EQ(code, EEXIST);
  EXPECT_EQ(error, path.string() + ": create: File exists");

  // Made by someone else between Open and Commit: still not overwritten.
  const fs::path late = folder_ / "late.service";
  AtomicFile file;
  ASSERT_TRUE(file.Open(late, create_only)) << file.error();
  ASSERT_TRUE(file.Write("mine"));
  Put(late, "theirs");
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(file.error_code(), EEXIST);
  EXPECT_EQ(Read(late), "theirs");
  EXPECT_EQ(Read(path), "unit");
  EXPECT_EQ(folder_.Names(), (std::set<std::string>{"corvane.service", "late.service"}));
}

TEST_P(AtomicFileTest, FailuresNameThePathAndReasonAndLeaveNothing) {
  fs::create_directory(folder_ / "dir");
  Put(folder_ / "dir" / "inside", "x");
  const struct {
    fs::path path;
    std::string error;
  } cases[] = {
      {folder_ / "missing" / "p.crvn", (folder_ / "missing" / "p.crvn").string() +
                                           ": create temporary file: No such file or "
                                           "directory"},
      {folder_ / "dir", (folder_ / "dir").string() + ": rename: Is a directory"},
      {"", ": open: No such file or directory"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(c.path, "bytes", {}, &error)) << c.path;
    EXPECT_EQ(error, c.error);
  }
  EXPECT_EQ(folder_.Names(), std::set<std::string>{"dir"});
  EXPECT_EQ(Read(folder_ / "dir" / "inside"), "x");
}

TEST_P(AtomicFileTest, AbandonedOrDestroyedWritersLeaveTheOldFile) {
  const fs::path path = folder_ / "p.crvn";
  Put(path, "old");
  {
    AtomicFile destroyed;
    ASSERT_TRUE(destroyed.Open(path));
    ASSERT_TRUE(destroyed.Write(std::string(100000, 'n')));
  }
  AtomicFile abandoned;
  ASSERT_TRUE(abandoned.Open(path));
  ASSERT_TRUE(abandoned.Write("new"));
  abandoned.Abandon();
  EXPECT_FALSE(abandoned.Write("more")) << "nothing is open after Abandon";
  EXPECT_FALSE(abandoned.Commit());
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(folder_.Names(), std::set<std::string>{"p.crvn"});
}

TEST_P(AtomicFileTest, ASymbolicLinkIsReplacedNotFollowed) {
  Put(folder_ / "real", "real");
  fs::create_symlink("real", folder_ / "link");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(folder_ / "link", "new", {}, &error)) << error;
  EXPECT_FALSE(fs::is_symlink(folder_ / "link"));
  EXPECT_EQ(Read(folder_ / "link"), "new");
  EXPECT_EQ(Read(folder_ / "real"), "real");
}

TEST_P(AtomicFileTest, OpeningRemovesOnlyTheTemporariesOfDeadWritersOfThatTarget) {
  const pid_t dead = DeadProcessId();
  const pid_t live = ::getppid();  // the test runner's parent outlives the test
  const std::set<std::string> spared = {
      TemporaryName("p.crvn", live, 3),
      TemporaryName("p.crvn", ::getpid(), 9999),  // another thread of this process
      TemporaryName("other.crvn", dead, 1),       // another target's
      TemporaryName("p.crvn", dead, 1) + "x",     // not a temporary name
      ".p.crvn." + std::to_string(dead) + ".tmp",
      ".p.crvn.x" + std::to_string(dead) + "-1.tmp",
  };
  const std::set<std::string> stale = {TemporaryName("p.crvn", dead, 1),
                                       TemporaryName("p.crvn", dead, 82)};
  for (const auto& name : spared) Put(folder_ / name, "left");
  for (const auto& name : stale) Put(folder_ / name, "left");

  std::string error;
  ASSERT_TRUE(WriteFileAtomically(folder_ / "p.crvn", "profile", {}, &error)) << error;
  std::set<std::string> expected = spared;
  expected.insert("p.crvn");
  EXPECT_EQ(folder_.Names(), expected);
  EXPECT_EQ(RemoveStaleTemporaries(folder_ / "p.crvn"), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, AtomicFileTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "NamedTemporary" : "UnnamedTemporary");
                         });

TEST(AtomicFileNamed, TheTemporaryFileIsVisibleOnlyWhileWritten) {
  TempFolder folder;
  AtomicFile::ForceNamedTemporaries(true);
  AtomicFile file;
  ASSERT_TRUE(file.Open(folder / "p.crvn"));
  AtomicFile::ForceNamedTemporaries(false);
  const std::set<std::string> names = folder.Names();
  ASSERT_EQ(names.size(), 1U);
  EXPECT_TRUE(names.begin()->starts_with(".p.crvn." + std::to_string(::getpid()) + "-"))
      << *names.begin();
  ASSERT_TRUE(file.Write("x"));
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(folder.Names(), std::set<std::string>{"p.crvn"});
}

}  // namespace
}  // namespace corvane::files
