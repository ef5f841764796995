// The readers on real files: ProcFile re-reading with pread, ProcessScan's getdents64 count, a
// FileSource reading once per collection, and the mount table's statvfs answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/linux/proc/file_source.h"
#include "platform/linux/proc/mount_table.h"
#include "platform/linux/proc/proc_file.h"
#include "platform/linux/proc/process_scan.h"
#include "tests/platform/linux/proc/proc_tree.h"

namespace corvane::local {
namespace {

namespace fs = std::filesystem;
using testing::ProcTree;

std::string ReadAll(ProcFile* file) {
  std::string_view text;
  EXPECT_EQ(file->Read(&text), 0) << file->path();
  return std::string(text);
}

TEST(ProcFile, RereadsTheSameFileRewrittenInPlace) {
  ProcTree tree;
  tree.Write("proc/loadavg", "0.00 0.00 0.00 1/100 7\n");
  ProcFile file((tree.root() / "proc/loadavg").string(), FileShape::kWhole, 64);
  EXPECT_EQ(ReadAll(&file), "0.00 0.00 0.00 1/100 7\n");
  const int fd = file.fd();
  tree.Write("proc/loadavg", "1.00 0.50 0.25 2/123 8\n");
  EXPECT_EQ(ReadAll(&file), "1.00 0.50 0.25 2/123 8\n");
  EXPECT_EQ(file.fd(), fd) << "the descriptor stays open between reads";
}

TEST(ProcFile, GrowsForFilesLargerThanItsBuffer) {
  ProcTree tree;
  std::string large;
  for (int i = 0; i < 2000; ++i) large += "line " + std::to_string(i) + "\n";
  tree.Write("proc/big", large);
  for (const FileShape shape : {FileShape::kWhole, FileShape::kRecords, FileShape::kShortRecords}) {
    ProcFile file((tree.root() / "proc/big").string(), shape, 100);
    EXPECT_EQ(ReadAll(&file), large);
    EXPECT_EQ(ReadAll(&file), large) << "the second read fits at once";
  }
}

// A file of short records needs no read to find its end while it fits well inside a page;
// one that may not have is read on to the end, whatever its buffer.
TEST(ProcFile, ShortRecordsAreReadAtOnceWhileTheyFitAPage) {
  struct Case {
    std::size_t bytes;
    std::size_t capacity;
    bool one_read;
  };
  const Case cases[] = {
      {0, 4096, false},  // empty: the one read returns 0, that is the end
      {39, 4096, true},
      {kSeqFilePage - kShortRecordBytes - 1, 8192, true},
      {kSeqFilePage - kShortRecordBytes, 8192, false},
      {600, 1024, false},  // the buffer, not the file, may have stopped the read
      {3500, 8192, false},
      {9000, 4096, false},
  };
  for (const Case& c : cases) {
    ProcTree tree;
    std::string text;
    while (text.size() < c.bytes) text += "   8       0 sda 1 2 3 4 5 6 7 8 9 10 11\n";
    text.resize(c.bytes);
    tree.Write("proc/diskstats", text);
    ProcFile file((tree.root() / "proc/diskstats").string(), FileShape::kShortRecords, c.capacity);
    EXPECT_EQ(ReadAll(&file), text) << c.bytes;
    if (c.bytes == 0) continue;
    EXPECT_EQ(file.reads() == 1, c.one_read) << c.bytes << " bytes: " << file.reads();
  }
}

// The kernel's own seq_files: one larger than a page is read whole, one well inside a page
// with one read.
TEST(ProcFile, KernelSeqFilesOfShortRecordsAreReadWhole) {
  auto lines = [](std::string_view text) { return std::count(text.begin(), text.end(), '\n'); };
  // The kernel's symbols: thousands of short lines, many pages.
  ProcFile symbols("/proc/kallsyms", FileShape::kShortRecords, 8192);
  std::string_view text;
  if (symbols.Read(&text) != 0) GTEST_SKIP() << "no /proc/kallsyms";
  const std::string all(text);
  ASSERT_GT(all.size(), 4 * kSeqFilePage);
  ProcFile reference("/proc/kallsyms", FileShape::kRecords, 8192);
  EXPECT_EQ(lines(all), lines(ReadAll(&reference)));
  EXPECT_EQ(all.back(), '\n');

  ProcFile swaps("/proc/swaps", FileShape::kShortRecords);
  const std::string areas = ReadAll(&swaps);
  ProcFile swaps_reference("/proc/swaps", FileShape::kRecords);
  EXPECT_EQ(lines(areas), lines(ReadAll(&swaps_reference)));
  if (areas.size() + kShortRecordBytes < kSeqFilePage) {
    EXPECT_EQ(swaps.reads(), 1);
  }
}

TEST(ProcFile, ReportsTheSystemsReasonAndRecoversWhenTheFileAppears) {
  ProcTree tree;
  const std::string path = (tree.root() / "proc/swaps").string();
  ProcFile file(path, FileShape::kRecords);
  std::string_view text = "stale";
  EXPECT_EQ(file.Read(&text), ENOENT);
  EXPECT_TRUE(text.empty());
  tree.Write("proc/swaps", "Filename Type Size Used Priority\n");
  EXPECT_EQ(ReadAll(&file), "Filename Type Size Used Priority\n");

  fs::create_directories(tree.root() / "proc/adir");
  ProcFile directory((tree.root() / "proc/adir").string(), FileShape::kWhole);
  EXPECT_EQ(directory.Read(&text), EISDIR);
}

TEST(ProcessScan, CountsDirectoriesNamedByNumbers) {
  ProcTree tree;
  for (const char* dir : {"1", "42", "9999", "self", "sys", "1a", "0x10"})
    fs::create_directories(tree.root() / "proc" / dir);
  tree.Write("proc/77", "a file, not a process\n");
  ProcessScan scan((tree.root() / "proc").string());
  std::uint64_t count = 0;
  ASSERT_EQ(scan.Count(&count), 0);
  EXPECT_EQ(count, 3u);
  fs::remove_all(tree.root() / "proc/42");
  ASSERT_EQ(scan.Count(&count), 0);
  EXPECT_EQ(count, 2u) << "the open directory is read again from its start";
}

TEST(ProcessScan, ReadsDirectoriesLargerThanItsBuffer) {
  ProcTree tree;
  for (int pid = 1; pid <= 600; ++pid)
    fs::create_directories(tree.root() / "proc" / std::to_string(pid * 7));
  ProcessScan scan((tree.root() / "proc").string(), 4096);  // about 150 entries per call
  std::uint64_t count = 0;
  ASSERT_EQ(scan.Count(&count), 0);
  EXPECT_EQ(count, 600u);
}

TEST(ProcessScan, LaterScansOfProcStillCountEveryProcess) {
  ProcessScan scan("/proc");
  std::uint64_t full = 0;
  ASSERT_EQ(scan.Count(&full), 0);
  for (int i = 0; i < 3; ++i) {
    // Later scans start where the processes begin; none may be lost or counted twice.
    std::uint64_t resumed = 0;
    ASSERT_EQ(scan.Count(&resumed), 0);
    std::size_t listed = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") == std::string::npos) ++listed;
    }
    // Other programs start and end between the two listings.
    EXPECT_NEAR(static_cast<double>(resumed), static_cast<double>(listed), 5 + listed / 10.0);
    EXPECT_GT(resumed, 1u);
  }
}

TEST(ProcessScan, FailsCleanlyWithoutTheDirectory) {
  ProcessScan scan("/nonexistent/corvane/proc");
  std::uint64_t count = 5;
  EXPECT_EQ(scan.Count(&count), ENOENT);
  EXPECT_EQ(count, 5u);
}

struct Counted {
  int value = 0;
};

int parses = 0;

ParseResult ParseCounted(std::string_view text, Counted* out) {
  ++parses;
  out->value = static_cast<int>(text.size());
  if (text.empty()) return ParseResult::Fail(1, "empty");
  return ParseResult::Ok();
}

TEST(FileSource, ReadsOncePerCollectionAndKeepsOnlyTheDirectlyPreviousOne) {
  ProcTree tree;
  tree.Write("proc/f", "abc");
  FileSource<Counted> source((tree.root() / "proc/f").string(), FileShape::kWhole, 64,
                             ParseCounted);
  parses = 0;
  source.Refresh(1, 1'000'000'000);
  source.Refresh(1, 1'000'000'000);
  EXPECT_EQ(parses, 1) << "a second counter on the same source reads nothing";
  ASSERT_NE(source.current(), nullptr);
  EXPECT_EQ(source.previous(), nullptr) << "the first collection has no previous one";

  tree.Write("proc/f", "abcdef");
  source.Refresh(2, 3'500'000'000);
  ASSERT_NE(source.previous(), nullptr);
  EXPECT_EQ(source.previous()->value, 3);
  EXPECT_EQ(source.current()->value, 6);
  EXPECT_DOUBLE_EQ(source.seconds(), 2.5);

  source.Refresh(4, 5'000'000'000);  // collection 3 did not need this source
  EXPECT_EQ(source.previous(), nullptr) << "a reading two collections old is not previous";

  tree.Write("proc/f", "");
  source.Refresh(5, 6'000'000'000);
  EXPECT_EQ(source.current(), nullptr);
  EXPECT_NE(source.DescribeError().find("proc/f: line 1: empty"), std::string::npos)
      << source.DescribeError();
  tree.Write("proc/f", "xy");
  source.Refresh(6, 7'000'000'000);
  EXPECT_EQ(source.previous(), nullptr) << "a failed parse is no previous reading";
  EXPECT_TRUE(source.DescribeError().empty());
}

TEST(MountTable, RereadsACapturedTableEachCollectionAndStatsOncePerCollection) {
  ProcTree tree;
  tree.Write("proc/self/mountinfo", "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n");
  int stats = 0;
  MountTable table((tree.root() / "proc/self/mountinfo").string(),
                   [&stats](const std::string& mount_point, VolumeSpace* space) {
                     ++stats;
                     if (mount_point != "/") return EACCES;
                     *space = VolumeSpace{1000, 250};
                     return 0;
                   });
  ASSERT_EQ(table.Volumes(1).size(), 1u);
  ASSERT_TRUE(table.Space(0, 1));
  EXPECT_EQ(table.Space(0, 1)->available_bytes, 250u);
  EXPECT_EQ(stats, 1);

  // A plain file cannot announce changes the way procfs does, so it is read every time.
  tree.Write("proc/self/mountinfo",
             "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:17 / /home rw - xfs /dev/sdb1 rw\n");
  ASSERT_EQ(table.Volumes(2).size(), 2u);
  EXPECT_FALSE(table.Space(1, 2));
  EXPECT_EQ(table.DescribeError(), "statvfs /home: Permission denied");
  EXPECT_FALSE(table.Space(7, 2)) << "no such volume";
}

TEST(MountTable, KernelsTableGivesTheVolumesOfItsMounts) {
  ProcFile file("/proc/self/mountinfo", FileShape::kRecords);
  MountinfoSnapshot mounts;
  ASSERT_TRUE(ParseMountinfo(ReadAll(&file), &mounts).ok());
  RowTable<Volume> expected;
  SelectVolumes(mounts, &expected);

  MountTable table("/proc/self/mountinfo", nullptr);
  for (std::uint64_t collection = 1; collection < 4; ++collection) {
    const RowTable<Volume>& volumes = table.Volumes(collection);
    ASSERT_EQ(volumes.size(), expected.size());
    for (std::size_t i = 0; i < volumes.size(); ++i)
      EXPECT_EQ(volumes[i].mount_point, expected[i].mount_point);
  }
  EXPECT_TRUE(table.DescribeError().empty()) << table.DescribeError();
}

}  // namespace
}  // namespace corvane::local
