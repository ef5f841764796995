// Links another user may plant: the kernel's rule for sticky world-writable folders, and the
// writers that resolve links themselves (Save As, snapshots) or must not follow any (activity
// logs), on real files in a temporary folder. A test user cannot make a link that another user
// owns, so the planted cases run the real rule on the real folder with the link seen as a
// stranger's.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "chart/profile_file_writer.h"
#include "core/log_file.h"
#include "files/link_rule.h"
#include "tests/support/temp_folder.h"
#include "tools/corvsnap/snapshot.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;
using test_support::ReadWholeFile;
using test_support::TempFolder;

constexpr uid_t kMe = 1000;
constexpr uid_t kFolderOwner = 2000;
constexpr uid_t kStranger = 3000;

struct stat Stat(mode_t mode, uid_t owner) {
  struct stat info {};
  info.st_mode = mode;
  info.st_uid = owner;
  return info;
}

TEST(LinkRuleTest, FollowsOnlyTheUsersOrTheFolderOwnersLinksInStickyWorldWritableFolders) {
  const struct {
    const char* label;
    mode_t folder_mode;
    uid_t link_owner;
    bool followed;
  } cases[] = {
      {"sticky world-writable, the user's link", S_IFDIR | 01777, kMe, true},
      {"sticky world-writable, the folder owner's link", S_IFDIR | 01777, kFolderOwner, true},
      {"sticky world-writable, a stranger's link", S_IFDIR | 01777, kStranger, false},
      {"sticky world-writable without others' read", S_IFDIR | 01773, kStranger, false},
      {"world-writable, not sticky", S_IFDIR | 0777, kStranger, true},
      {"sticky, not world-writable", S_IFDIR | 01775, kStranger, true},
      {"an ordinary folder", S_IFDIR | 0755, kStranger, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(
        MayFollowLink(Stat(S_IFLNK | 0777, c.link_owner), Stat(c.folder_mode, kFolderOwner), kMe),
        c.followed);
  }
}

TEST(LinkRuleTest, TrustsOnlyLogFoldersOfTheUserOrRoot) {
  const struct {
    uid_t owner;
    uid_t user;
    bool trusted;
  } cases[] = {
      {kMe, kMe, true},      {0, kMe, true}, {kStranger, kMe, false},
      {kStranger, 0, false}, {0, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "owner " << c.owner << ", user " << c.user);
    EXPECT_EQ(FolderOwnerTrusted(Stat(S_IFDIR | 0755, c.owner), c.user), c.trusted);
  }
}

// The real rule, with every link seen as one that neither the user nor the folder's owner made.
bool AsAStrangersLink(const struct stat& link, const struct stat& folder, uid_t uid) {
  struct stat planted = link;
  planted.st_uid = uid + 1 == folder.st_uid ? uid + 2 : uid + 1;
  return MayFollowLink(planted, folder, uid);
}

constexpr const char kVictimBytes[] = "export PATH=$HOME/bin:$PATH\n";

// A victim's file, and a shared folder beside it in which links to it are planted.
class PlantedLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(victim_, std::ios::binary) << kVictimBytes;
    fs::create_directory(shared_);
  }
  void TearDown() override { SetLinkRuleForTesting(nullptr); }

  // Makes the shared folder sticky and world-writable (as /tmp) or not, and plants `name` in
  // it pointing at `target`; `stranger` makes the link another user's.
  fs::path Plant(std::string_view name, const fs::path& target, bool sticky, bool stranger) {
    EXPECT_EQ(::chmod(shared_.c_str(), sticky ? 01777 : 0755), 0);
    const fs::path link = shared_ / name;
    fs::create_symlink(target, link);
    SetLinkRuleForTesting(stranger ? AsAStrangersLink : nullptr);
    return link;
  }

  TempFolder folder_;
  const fs::path victim_ = folder_ / "bashrc";
  const fs::path shared_ = folder_ / "tmp";
};

TEST_F(PlantedLinkTest, SaveAsOntoAStrangersLinkInAStickyFolderLeavesTheVictimsFile) {
  const fs::path link = Plant("x.crvn", victim_, /*sticky=*/true, /*stranger=*/true);
  chart::ProfileFileWriter writer;
  EXPECT_FALSE(writer.Open(link));
  EXPECT_NE(writer.error().find(link.string()), std::string::npos) << writer.error();
  EXPECT_NE(writer.error().find("another user"), std::string::npos) << writer.error();
  EXPECT_EQ(ReadWholeFile(victim_), kVictimBytes);
  EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(PlantedLinkTest, SaveAsFollowsLinksTheKernelWouldFollow) {
  const struct {
    const char* label;
    bool sticky;
    bool stranger;
  } cases[] = {
      {"the user's own link in a sticky folder", true, false},
      {"a stranger's link in an ordinary folder", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::ofstream(victim_, std::ios::binary) << kVictimBytes;
    fs::remove(shared_ / "x.crvn");
    const fs::path link = Plant("x.crvn", victim_, c.sticky, c.stranger);
    chart::ProfileFileWriter writer;
    ASSERT_TRUE(writer.Open(link)) << writer.error();
    ASSERT_TRUE(writer.WriteInteger("GridStep", 20));
    ASSERT_TRUE(writer.Commit()) << writer.error();
    EXPECT_EQ(ReadWholeFile(victim_), "GridStep=20\r\n");
    EXPECT_TRUE(fs::is_symlink(link));
  }
}

TEST_F(PlantedLinkTest, ASnapshotOntoAStrangersLinkWritesNothing) {
  const fs::path link = Plant("out.svg", victim_, /*sticky=*/true, /*stranger=*/true);
  std::string error;
  EXPECT_FALSE(corvsnap::WritePicture(link, "<svg/>", &error));
  EXPECT_NE(error.find(link.string()), std::string::npos) << error;
  EXPECT_EQ(ReadWholeFile(victim_), kVictimBytes);
  EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(PlantedLinkTest, ALogThatIsALinkIsNeverWrittenThrough) {
  // Whoever made the link, and whatever the folder: a log is never reached through a link.
  for (const bool sticky : {true, false}) {
    SCOPED_TRACE(sticky ? "sticky folder" : "ordinary folder");
    fs::remove_all(shared_ / "Logs");
    EXPECT_EQ(::chmod(shared_.c_str(), sticky ? 01777 : 0755), 0);
    fs::create_directory(shared_ / "Logs");
    const fs::path log = shared_ / "Logs" / "NAME-log.csv";
    fs::create_symlink(victim_, log);
    LogFile file;
    std::string error;
    EXPECT_EQ(file.Open(log.string(), &error), LogFile::OpenResult::kCannotOpen);
    EXPECT_NE(error.find(log.string()), std::string::npos) << error;
    EXPECT_FALSE(file.is_open());
    EXPECT_FALSE(file.Write("header\r\n", "", "row\r\n", &error));
    EXPECT_EQ(ReadWholeFile(victim_), kVictimBytes);
  }
}

TEST_F(PlantedLinkTest, ALogFolderThatIsAStrangersLinkIsRefused) {
  const fs::path victims_folder = folder_ / "victim-logs";
  fs::create_directory(victims_folder);
  const fs::path logs = Plant("Logs", victims_folder, /*sticky=*/true, /*stranger=*/true);
  LogFile file;
  std::string error;
  EXPECT_EQ(file.Open((logs / "NAME-log.csv").string(), &error), LogFile::OpenResult::kCannotOpen);
  EXPECT_NE(error.find(logs.string()), std::string::npos) << error;
  EXPECT_TRUE(fs::is_empty(victims_folder));

  // The same link as the user's own is followed, as the kernel would.
  SetLinkRuleForTesting(nullptr);
  EXPECT_EQ(file.Open((logs / "NAME-log.csv").string(), &error), LogFile::OpenResult::kCreated)
      << error;
  EXPECT_TRUE(fs::exists(victims_folder / "NAME-log.csv"));
}

TEST_F(PlantedLinkTest, ALogFolderOfAnotherUserIsRefused) {
  // Only root can give a folder to another user.
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give the folder away";
  const fs::path logs = shared_ / "Logs";
  fs::create_directory(logs);
  ASSERT_EQ(::chown(logs.c_str(), 65534, 65534), 0);
  LogFile file;
  std::string error;
  EXPECT_EQ(file.Open((logs / "NAME-log.csv").string(), &error), LogFile::OpenResult::kCannotOpen);
  EXPECT_NE(error.find("another user"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(logs / "NAME-log.csv"));
}

}  // namespace
}  // namespace corvane::files
