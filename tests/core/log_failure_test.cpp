// The activity log when the file system refuses: folders that cannot exist, paths that are no
// regular file, a full disk (a file size limit, RLIMIT_FSIZE), logs moved or deleted while
// open, a second writer of the same file. Every case must fail cleanly, keep the file
// consistent and let sampling go on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "core/log_file.h"
#include "log_test_support.h"

namespace corvane::testing_log {
namespace {

// While alive, no file of this process may grow past `bytes`: writes beyond it fail with
// EFBIG as they would on a full disk, partly when they cross the limit. SIGXFSZ is ignored so
// that the failing write returns instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
    previous_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t previous_handler_{};
};

// Every change the log reports, as "failing: <reason>" and "recovered", with the log's path.
class RecordingStatus : public LogStatusSink {
 public:
  void LogFailing(const std::string& log_path, const std::string& reason) override {
    changes.push_back("failing: " + reason);
    paths.push_back(log_path);
  }
  void LogRecovered(const std::string& log_path) override {
    changes.push_back("recovered");
    paths.push_back(log_path);
  }
  std::vector<std::string> changes;
  std::vector<std::string> paths;
};

TEST_F(LogTest, AFailingLogIsReportedOnceWithItsReasonAndOnceWhenItRecovers) {
  RecordingStatus status;
  log_.SetStatusSink(&status);
  settings_.mode = 2;
  Start({Axis("Load")});
  ASSERT_TRUE(Row({10}));
  EXPECT_TRUE(status.changes.empty()) << "a log that works is not news";
  {
    FileSizeLimit full(std::filesystem::file_size(HtmlPath()) + 20);
    for (double value : {20, 30, 40, 50}) EXPECT_FALSE(Row({value}));
    EXPECT_TRUE(log_.failing());
  }
  EXPECT_EQ(status.changes, std::vector<std::string>{"failing: File too large"});
  ASSERT_TRUE(Row({10}));  // what the log last holds: mode 2 writes no row
  EXPECT_TRUE(log_.failing()) << "a row not written proves nothing about the disk";
  EXPECT_EQ(status.changes.size(), 1U);
  ASSERT_TRUE(Row({60}));
  EXPECT_FALSE(log_.failing());
  EXPECT_EQ(status.changes, (std::vector<std::string>{"failing: File too large", "recovered"}));
  EXPECT_EQ(status.paths, std::vector<std::string>(2, HtmlPath().string()));

  // A second failure is news again, and so is a log that cannot even be opened.
  {
    FileSizeLimit full(std::filesystem::file_size(HtmlPath()));
    EXPECT_FALSE(Row({70}));
  }
  ASSERT_TRUE(Row({80}));
  log_.SetLocation((folder_.path() / "missing" / "P.crvn").string());
  EXPECT_FALSE(log_.Open(settings_, false));
  EXPECT_FALSE(Row({90}));
  EXPECT_EQ(status.changes, (std::vector<std::string>{"failing: File too large", "recovered",
                                                      "failing: File too large", "recovered",
                                                      "failing: No such file or directory"}));
}

TEST_F(LogTest, FolderThatCannotExistFailsSilently) {
  // A regular file where the profile's folder should be: creating "Logs" fails, even for root.
  const auto not_a_folder = folder_.path() / "not-a-folder";
  WriteFile(not_a_folder, "x");
  log_.SetLocation((not_a_folder / "P.crvn").string());

  EXPECT_FALSE(log_.Open(settings_, false));
  EXPECT_FALSE(log_.is_open());
  EXPECT_NE(log_.last_error().find("P-log.html"), std::string::npos) << log_.last_error();
  EXPECT_TRUE(messages_.empty()) << "only an unwritable existing file is reported";

  axes_ = {Axis("Threads")};
  log_.ResetCounters(1);
  EXPECT_FALSE(log_.WriteBanner(settings_, axes_));
  EXPECT_FALSE(Row({1}));
  EXPECT_FALSE(log_.Clean(settings_, axes_));
  EXPECT_EQ(ReadFile(not_a_folder), "x");
}

TEST_F(LogTest, LogNameTakenByNoRegularFileIsReported) {
  struct Case {
    const char* name;
    void (*make)(const std::filesystem::path&);
  };
  const Case cases[] = {
      {"directory", [](const std::filesystem::path& p) { std::filesystem::create_directory(p); }},
      {"fifo", [](const std::filesystem::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
  };
  std::filesystem::create_directory(Logs());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(HtmlPath());
    c.make(HtmlPath());
    messages_.clear();
    EXPECT_FALSE(log_.Open(settings_, false));
    EXPECT_FALSE(log_.is_open());
    ASSERT_EQ(messages_.size(), 1U);
    EXPECT_EQ(messages_[0], "Cannot write to file: " + HtmlPath().string());
    axes_ = {Axis("Threads")};
    EXPECT_FALSE(Row({1}));
    EXPECT_EQ(messages_.size(), 1U) << "a row does not retry the open";
  }
}

TEST_F(LogTest, NoProfilePathMeansNoLog) {
  ActivityLog log([this] { return now_; });
  EXPECT_FALSE(log.Open(settings_, false));
  EXPECT_FALSE(log.is_open());
  EXPECT_FALSE(std::filesystem::exists("Logs/-log.html"));
  LogSettings off = settings_;
  off.mode = 0;
  EXPECT_TRUE(log.Open(off, false)) << "logging off is no failure";
}

TEST_F(LogTest, FailedRowLeavesFileAndMemoryAsBefore) {
  settings_.mode = 2;
  Start({Axis("Load")});
  ASSERT_TRUE(Row({10}));
  const std::string before = ReadFile(HtmlPath());
  {
    // Room for part of the row only: it is cut off mid-write.
    FileSizeLimit full(before.size() + 40);
    EXPECT_FALSE(Row({20}));
    EXPECT_NE(log_.last_error().find("MyProfile-log.html: write: "), std::string::npos)
        << log_.last_error();
  }
  EXPECT_EQ(ReadFile(HtmlPath()), before);
  EXPECT_EQ(log_.row_count(), 1);

  // The same value again: the log never showed 20, so mode 2 writes it now, compared with 10.
  ASSERT_TRUE(Row({20}));
  EXPECT_EQ(ReadFile(HtmlPath()),
            before.substr(0, before.size() - 34) +
                " <tr bgcolor=whitesmoke><td>12/07</td><td>20:35:15</td>\n"
                "  <td nowrap >20.00 <font color=red><b>&uarr;</b></font></td>\n"
                " </tr>\n</table><a name=end></body></html>");
  EXPECT_EQ(log_.row_count(), 2);
}

TEST_F(LogTest, FailedCsvRowIsNotHalfWritten) {
  settings_.format = 1;
  Start({Axis("A"), Axis("B")});
  ASSERT_TRUE(Row({1, 2}));
  const std::string before = ReadFile(CsvPath());
  {
    FileSizeLimit full(before.size() + 10);
    EXPECT_FALSE(Row({3, 4}));
  }
  EXPECT_EQ(ReadFile(CsvPath()), before);
  ASSERT_TRUE(Row({3, 4}));
  EXPECT_EQ(ReadFile(CsvPath()), before + "12/07,20:35:15,3.00,4.00\n");
}

// Header and banner that could not be written on a full disk come before the next row that
// can be written, so the file ends up as if the disk had never been full.
TEST_F(LogTest, HeaderAndBannerLostToAFullDiskAreWrittenBeforeTheNextRow) {
  axes_ = {Axis("Load"), Axis("Queue")};
  {
    FileSizeLimit full(0);
    EXPECT_FALSE(log_.Open(settings_, false));
    EXPECT_TRUE(log_.is_open()) << "the file exists; it is only empty";
    log_.ResetCounters(axes_.size());
    EXPECT_FALSE(log_.WriteBanner(settings_, axes_));
    EXPECT_FALSE(Row({1, 2}));
  }
  EXPECT_EQ(std::filesystem::file_size(HtmlPath()), 0U);
  ASSERT_TRUE(Row({1, 2}));
  EXPECT_EQ(log_.row_count(), 1);

  // The same sequence without a full disk, in another folder, at the same times.
  TempFolder other;
  std::tm then = TestTime();
  ActivityLog reference([&then] { return then; });
  reference.SetLocation((other.path() / "MyProfile.crvn").string());
  ASSERT_TRUE(reference.Open(settings_, false));
  reference.ResetCounters(axes_.size());
  then = now_;
  const double values[] = {1, 2};
  ASSERT_TRUE(reference.WriteBanner(settings_, axes_));
  ASSERT_TRUE(reference.WriteRow(settings_, axes_, values));
  EXPECT_EQ(ReadFile(HtmlPath()), ReadFile(reference.GetLogPath()));
}

TEST_F(LogTest, ExistingEmptyFileGetsTheHeader) {
  std::filesystem::create_directory(Logs());
  WriteFile(HtmlPath(), "");
  Start({Axis("Threads")});
  EXPECT_EQ(ReadFile(HtmlPath()).find("<html><body>\n<h1>Corvane Log: MyProfile</h1>\n"), 0U);
}

// Another process running the same profile rotated the log, or someone deleted it: rows go to
// the file the path names now, not into the old one out of sight.
TEST_F(LogTest, LogMovedOrDeletedWhileOpenIsReopened) {
  for (const bool deleted : {false, true}) {
    SCOPED_TRACE(deleted ? "deleted" : "moved");
    std::filesystem::remove_all(Logs());
    Start({Axis("Threads")});
    ASSERT_TRUE(Row({3}));
    ASSERT_TRUE(Row({3}));
    const std::string old_log = ReadFile(HtmlPath());
    if (deleted) {
      std::filesystem::remove(HtmlPath());
    } else {
      std::filesystem::rename(HtmlPath(), HtmlBackup());
    }

    ASSERT_TRUE(Row({3}));
    if (!deleted) {
      EXPECT_EQ(ReadFile(HtmlBackup()), old_log);
    }
    const std::string fresh = ReadFile(HtmlPath());
    EXPECT_EQ(fresh.find("<html><body>\n"), 0U);
    EXPECT_EQ(fresh.find("Backup Log"), std::string::npos) << "this process made no backup";
    EXPECT_EQ(Count(fresh, "<p><font size=+1><b>Started"), 1);
    EXPECT_EQ(Count(fresh, "<tr bgcolor=aliceblue>"), 1);
    EXPECT_EQ(log_.row_count(), 1);
  }
}

// When the full log cannot be moved aside, rows go on into the same file, each without a
// banner of its own.
TEST_F(LogTest, LogThatCannotBeMovedAsideKeepsGrowing) {
  settings_.file_size_kb = 1;
  std::filesystem::create_directories(HtmlBackup() / "in-the-way");  // rename(2) refuses
  Start({Axis("Threads")});
  while (std::filesystem::file_size(HtmlPath()) < 1024) ASSERT_TRUE(Row({1}));
  const std::string full = ReadFile(HtmlPath());
  ASSERT_TRUE(Row({1}));
  ASSERT_TRUE(Row({1}));
  const std::string text = ReadFile(HtmlPath());
  EXPECT_EQ(text.substr(0, full.size() - 34), full.substr(0, full.size() - 34));
  EXPECT_EQ(Count(text, "<p><font size=+1><b>Started"), 1);
  EXPECT_TRUE(std::filesystem::exists(HtmlBackup() / "in-the-way"));
}

TEST_F(LogTest, SizeLimitBelowOneKilobyteCountsAsOne) {
  for (const int kb : {0, -5}) {
    SCOPED_TRACE(kb);
    std::filesystem::remove_all(Logs());
    settings_.file_size_kb = kb;
    Start({Axis("Threads")});
    ASSERT_TRUE(Row({1}));
    ASSERT_TRUE(Row({2}));
    EXPECT_FALSE(std::filesystem::exists(HtmlBackup()));
    EXPECT_EQ(log_.row_count(), 2);
  }
}

// Two deliverables running the same profile write the same file. Each writer here has its
// own descriptor, as a second process would; the file lock keeps every row.
TEST_F(LogTest, TwoWritersOfOneLogLoseNoRow) {
  constexpr int kRows = 1000;
  const std::string profile = (folder_.path() / "Shared.crvn").string();
  std::latch both_open(2);
  auto writer = [&profile, &both_open](double base) {
    ActivityLog log([] { return TestTime(); });
    log.SetLocation(profile);
    const LogSettings settings{1, 0, 10240};
    const std::vector<LogAxis> axes = {LogAxis{"A", 1, 100, 80, false}};
    EXPECT_TRUE(log.Open(settings, false));
    log.ResetCounters(1);
    EXPECT_TRUE(log.WriteBanner(settings, axes));
    both_open.arrive_and_wait();  // (an ASSERT before this would leave the other waiting)
    for (int i = 0; i < kRows; ++i) {
      const double value[] = {base + i};
      ASSERT_TRUE(log.WriteRow(settings, axes, value)) << log.last_error();
    }
  };
  std::thread first(writer, 1000.0);
  std::thread second(writer, 5000.0);
  first.join();
  second.join();

  const std::string text = ReadFile(folder_.path() / "Logs" / "Shared-log.html");
  EXPECT_EQ(Count(text, "<html><body>"), 1);
  EXPECT_EQ(Count(text, "<p><font size=+1><b>Started"), 2);
  EXPECT_EQ(Count(text, " <tr bgcolor="), 2 * kRows);
  EXPECT_EQ(Count(text, "</table><a name=end></body></html>"), 1);
  EXPECT_EQ(text.substr(text.size() - 34), "</table><a name=end></body></html>");
  for (const char* value : {"1000.00", "1999.00", "5000.00", "5999.00"}) {
    EXPECT_EQ(Count(text, std::string(">") + value), 1) << value;
  }
}

TEST_F(LogTest, CleaningWithoutALogKeepsTheOldBackup) {
  std::filesystem::create_directory(Logs());
  WriteFile(HtmlBackup(), "older rows");
  ASSERT_TRUE(log_.Clean(settings_, {}));
  EXPECT_EQ(ReadFile(HtmlBackup()), "older rows");
  EXPECT_EQ(ReadFile(HtmlPath()).find("Backup Log"), std::string::npos);
}

// While alive, the file is append-only (chattr +a): a descriptor opened before still writes
// anywhere in it, but the file can no longer be cut (ftruncate fails with EPERM). Needs the
// right to change the flag (CAP_LINUX_IMMUTABLE) and a file system that has it.
class AppendOnly {
 public:
  explicit AppendOnly(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0 || ::ioctl(fd_, FS_IOC_GETFLAGS, &flags_) != 0) return;
    int append_only = flags_ | FS_APPEND_FL;
    set_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &append_only) == 0;
  }
  ~AppendOnly() {
    if (set_) ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
    if (fd_ >= 0) ::close(fd_);
  }
  AppendOnly(const AppendOnly&) = delete;
  AppendOnly& operator=(const AppendOnly&) = delete;
  bool set() const { return set_; }

 private:
  int fd_;
  int flags_ = 0;
  bool set_ = false;
};

// A write whose end cannot be cut back is a failure like any other: it says both reasons,
// with the first one's system reason last (the activity log reports that part), and the
// file keeps every byte it had where it can.
struct UncutCase {
  const char* name;
  std::string before;  // the file's text
  std::string header;
  std::string tail;
  std::string text;
  rlim_t size_limit;  // 0: none
  std::string error;  // after "<path>: "
  std::string after;  // the file's text
};

class UncutWriteTest : public ::testing::TestWithParam<UncutCase> {};

TEST_P(UncutWriteTest, SaysWhyAndKeepsTheFile) {
  const UncutCase& c = GetParam();
  TempFolder folder;
  const std::filesystem::path path = folder.path() / "P-log.html";
  WriteFile(path, c.before);
  LogFile file;
  std::string error;
  ASSERT_NE(file.Open(path.string(), &error), LogFile::OpenResult::kCannotOpen) << error;
  AppendOnly append_only(path);
  if (!append_only.set()) GTEST_SKIP() << "no append-only files here (chattr +a)";
  bool written = true;
  if (c.size_limit != 0) {
    FileSizeLimit full(c.size_limit);
    written = file.Write(c.header, c.tail, c.text, &error);
  } else {
    written = file.Write(c.header, c.tail, c.text, &error);
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(error, path.string() + ": " + c.error);
  EXPECT_EQ(ReadFile(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    LogFile, UncutWriteTest,
    ::testing::Values(
        // The text that replaces the end is shorter: the rest of the old end stays as it was.
        UncutCase{"ShorterThanTheEnd", "<rows></table></html>", "", "</table></html>", "</html>", 0,
                  "truncate: Operation not permitted", "<rows></table></html>"},
        // The disk fills halfway through the text: the old end is written back, and what of
        // the text went past it stays, and is told.
        UncutCase{"TextCutShort", "<rows></html>", "", "</html>", "<row>more</html>", 16,
                  "write, and the file could not be cut back to its old end (Operation not "
                  "permitted): File too large",
                  "<rows></html>re<"},
        // The header of an empty file fits only in part.
        UncutCase{"HeaderCutShort", "", "<html><body>", "", "", 4,
                  "write, and the file could not be emptied again (Operation not permitted): "
                  "File too large",
                  "<htm"}),
    [](const ::testing::TestParamInfo<UncutCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::testing_log
