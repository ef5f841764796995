// Damaged, truncated and foreign files given to the recording reader: a clear message naming
// the line, every row before it kept, no crash and no memory beyond a few pieces of the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "core/recording/recording.h"
#include "tests/core/recording/recording_test_support.h"

namespace corvane::recording {
namespace {

using testing_recording::WriteFile;

const std::string kCsvHead =
    "Corvane Log: Night\n\nStarted on Wednesday 12/31/2025 at 23:59:58\nDate,Time,Load,Free\n";
const std::string kCsvRows = "12/31,23:59:59,10.00,N/A\n01/01,00:00:00,90.00,20.50\n";
const std::string kHtmlHead =
    "<html><body>\n<h1>Corvane Log: Night</h1>\nNavigate: <a href=\"#end\">End Of File</a> "
    "&#8226; <a href=\"Night-log.html\">Current Log</a><br>\n\n<p><font size=+1><b>Started on "
    "Wednesday, December 31, 2025 at 23:59:58</b></font><br>\nLogging is set to track every "
    "update of counter values.</p>\n\n<table border=1 cellspacing=0 cellpadding=4>\n <tr>\n  "
    "<th>Date</th>\n  <th>Time</th>\n  <th>Load</th>\n  <th>Free &amp; Easy</th>\n </tr>\n\n";
const std::string kHtmlRow =
    " <tr bgcolor=aliceblue><td>12/31</td><td>23:59:59</td>\n  <td nowrap bgcolor=pink>90.00 "
    "<font color=red><b>&uarr;</b></font></td>\n  <td nowrap bgcolor=silver>N/A</td>\n </tr>\n";
const std::string kHtmlEnd = "</table><a name=end></body></html>";

struct Case {
  const char* name;
  std::string file_name;
  std::string text;
  std::size_t rows;    // rows kept
  std::string damage;  // the end of the message
};

class DamagedLogTest : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedLogTest, NamesTheLineAndKeepsWhatCameBefore) {
  const Case& c = GetParam();
  test_support::TempFolder folder;
  const std::filesystem::path path = folder / "Logs" / c.file_name;
  WriteFile(path, c.text);
  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(path.string(), std::nullopt, &error);
  if (c.rows == 0) {
    ASSERT_EQ(recording, nullptr);
    EXPECT_TRUE(error.ends_with(c.damage)) << error;
    EXPECT_NE(error.find(path.string()), std::string::npos) << "names the file: " << error;
    return;
  }
  ASSERT_NE(recording, nullptr) << error;
  recording->IndexAll();
  EXPECT_EQ(recording->RowCount(), c.rows);
  EXPECT_TRUE(recording->damage().ends_with(c.damage)) << recording->damage();
  if (!c.damage.empty()) {
    EXPECT_EQ(recording->damage().find(path.string()), 0u) << recording->damage();
  }
  Moment moment;
  ASSERT_TRUE(recording->MomentAt(recording->EndTime(), &moment, &error)) << error;
  EXPECT_EQ(moment.row, c.rows - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedLogTest,
    ::testing::Values(
        Case{"SoundCsv", "Night-log.csv", kCsvHead + kCsvRows, 2, ""},
        Case{"SoundHtml", "Night-log.html", kHtmlHead + kHtmlRow + kHtmlEnd, 1, ""},
        Case{"CsvCutMidRow", "Night-log.csv", kCsvHead + kCsvRows + "01/01,00:00:01,5", 2,
             "line 7: the last line is cut off (it has no line end)"},
        Case{"CsvTooFewCells", "Night-log.csv", kCsvHead + kCsvRows + "01/01,00:00:01,5.00\n", 2,
             "line 7: the row has 1 cells where the banner names 2 counters"},
        Case{"CsvCellNotANumber", "Night-log.csv", kCsvHead + kCsvRows + "01/01,00:00:01,5.00,x\n",
             2, "line 7: cell 2 is not a number"},
        Case{"HtmlCutMidRow", "Night-log.html",
             kHtmlHead + kHtmlRow + kHtmlRow.substr(0, kHtmlRow.find("  <td nowrap bgcolor=s")), 1,
             "line 20: the row is cut off at the end of the file"},
        Case{"HtmlCutInsideACell", "Night-log.html", kHtmlHead + kHtmlRow + kHtmlRow.substr(0, 80),
             1, "line 21: a damaged cell inside the row that begins on line 20"},
        Case{"GarbageAfterRows", "Night-log.csv",
             kCsvHead + kCsvRows + std::string("\x7f\x45\x4c\x46\x01\x00\xff\n\x02", 9), 2,
             "line 7: the row has 0 cells where the banner names 2 counters"},
        // A banner naming no counters fixes the recording at none: a later banner naming some
        // ends it, and the rows read before stay readable with no cells.
        Case{"CsvBannerWithoutCountersThenWithTwo", "Night-log.csv",
             "Corvane Log: Night\n\nStarted on Wednesday 12/31/2025 at 23:59:58\nDate,Time\n"
             "12/31,23:59:59\n\n" +
                 kCsvHead.substr(kCsvHead.find("Started")) + kCsvRows,
             1,
             "line 8: the banner names 2 counters where the recording began with 0; the "
             "recording ends before it"},
        Case{"HtmlBannerWithoutCountersThenWithTwo", "Night-log.html",
             kHtmlHead.substr(0, kHtmlHead.find("  <th>Load")) + " </tr>\n\n" +
                 " <tr bgcolor=aliceblue><td>12/31</td><td>23:59:59</td>\n </tr>\n" + kHtmlEnd +
                 "\n\n" + kHtmlHead.substr(kHtmlHead.find("<p><font")) + kHtmlRow + kHtmlEnd,
             1,
             "line 27: the banner names 2 counters where the recording began with 0; the "
             "recording ends before it"},
        Case{"BinaryFile", "Night-log.csv", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 0,
             "line 1: this is not a Corvane activity log (it does not begin with \"Corvane Log:\" "
             "or an HTML log's first line)"},
        Case{"EmptyFile", "Night-log.csv", "", 0, "line 1: the file is empty"},
        Case{"HeaderOnly", "Night-log.csv", "Corvane Log: Night\n", 0, "the log holds no rows yet"},
        Case{"BannerCutOff", "Night-log.csv", "Corvane Log: Night\n\nStarted on Wed", 0,
             "line 3: the last line is cut off (it has no line end)"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Two gigabytes of nothing after a sound beginning, and a file that is nothing at all: a line
// that never ends is refused after the longest line a log can hold, not read into memory.
TEST(SparseLogTest, TwoGigabytesOfZerosAreRefusedWithBoundedMemory) {
  test_support::TempFolder folder;
  const std::filesystem::path after_rows = folder / "Logs" / "Night-log.csv";
  const std::filesystem::path only_zeros = folder / "Logs" / "Zeros-log.csv";
  WriteFile(after_rows, kCsvHead + kCsvRows);
  WriteFile(only_zeros, "");
  constexpr off_t kSize = off_t{2} << 30;
  ASSERT_EQ(::truncate(after_rows.c_str(), kSize), 0);
  ASSERT_EQ(::truncate(only_zeros.c_str(), kSize), 0);
  const long before = PeakKilobytes();

  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(after_rows.string(), std::nullopt, &error);
  ASSERT_NE(recording, nullptr) << error;
  recording->IndexAll();
  EXPECT_EQ(recording->RowCount(), 2u);
  EXPECT_TRUE(recording->damage().ends_with(
      "line 7: longer than any line of a log (65536 bytes without a line end; binary data?)"))
      << recording->damage();

  EXPECT_EQ(Recording::Open(only_zeros.string(), std::nullopt, &error), nullptr);
  EXPECT_NE(error.find("line 1: "), std::string::npos) << error;
  EXPECT_LT(PeakKilobytes() - before, 32 * 1024) << "kilobytes more at the peak";
}

TEST(RecordingWithoutProfileTest, TakesTheAxesFromTheBannerAndTheCriticalMarksFromTheCells) {
  test_support::TempFolder folder;
  const std::filesystem::path path = folder / "Logs" / "Night-log.html";
  WriteFile(path, kHtmlHead + kHtmlRow + kHtmlEnd);
  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(path.string(), std::nullopt, &error);
  ASSERT_NE(recording, nullptr) << error;
  ASSERT_EQ(recording->settings().axes.size(), 2u);
  EXPECT_EQ(recording->settings().axes[0].name, "Load");
  EXPECT_EQ(recording->settings().axes[1].name, "Free & Easy");
  EXPECT_FALSE(recording->settings().from_profile);
  EXPECT_EQ(recording->mode(), 1);
  Moment moment;
  ASSERT_TRUE(recording->MomentAt(recording->StartTime(), &moment, &error)) << error;
  ASSERT_EQ(moment.values.size(), 2u);
  EXPECT_TRUE(moment.values[0].available);
  EXPECT_EQ(moment.values[0].shown, 90.0);
  EXPECT_TRUE(moment.values[0].logged_critical);
  EXPECT_FALSE(moment.values[1].available);
}

// A banner whose date cannot be read leaves its rows in 1970; a later banner a century on
// puts its rows further from the first than the index can count. Times still never go back,
// and the last row is still the one found at the end.
TEST(RecordingTimesTest, NeverGoBackWhenTheLogSpansMoreThanTheIndexCounts) {
  test_support::TempFolder folder;
  const std::filesystem::path path = folder / "Logs" / "Night-log.csv";
  WriteFile(path,
            "Corvane Log: Night\n\nStarted on Frid\xff\xffy 12/05/2025 at 10:00:00\n"
            "Date,Time,A\n12/05,10:00:01,1.00\n\n"
            "Started on Friday 12/05/2025 at 10:00:01\nDate,Time,A\n12/05,10:00:03,3.00\n\n"
            "Started on Friday 12/05/2125 at 10:05:00\nDate,Time,A\n12/05,10:05:00,4.00\n");
  std::string error;
  std::unique_ptr<Recording> recording = Recording::Open(path.string(), std::nullopt, &error);
  ASSERT_NE(recording, nullptr) << error;
  recording->IndexAll();
  ASSERT_EQ(recording->RowCount(), 3u) << recording->damage();
  EXPECT_LE(recording->RowTime(0), recording->RowTime(1));
  EXPECT_LE(recording->RowTime(1), recording->RowTime(2));
  EXPECT_EQ(recording->RowAt(recording->EndTime()), 2u);
  Moment moment;
  ASSERT_TRUE(recording->MomentAt(recording->EndTime(), &moment, &error)) << error;
  EXPECT_EQ(moment.row, 2u);
  EXPECT_EQ(moment.values.at(0).shown, 4.0);
}

}  // namespace
}  // namespace corvane::recording
