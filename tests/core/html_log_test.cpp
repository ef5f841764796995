// The HTML activity log on real files: layout byte for byte, the row rules of the three modes,
// rotation, cleaning and logs that were cut or edited by someone else.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "log_test_support.h"

namespace corvane::testing_log {
namespace {

constexpr const char* kHeader =
    "<html><body>\n<h1>Corvane Log: MyProfile</h1>\n"
    "Navigate: <a href=\"#end\">End Of File</a> &#8226; "
    "<a href=\"MyProfile-log.html\">Current Log</a><br>\n";

std::string Banner(const std::string& started, const char* track,
                   const std::vector<const char*>& names) {
  std::string text = "\n<p><font size=+1><b>Started ";
  text += started;
  text += "</b></font><br>\nLogging is set to track ";
  text += track;
  text += "</p>\n\n<table border=1 cellspacing=0 cellpadding=4>\n";
  text += " <tr>\n  <th>Date</th>\n  <th>Time</th>\n";
  for (const char* name : names) text += std::string("  <th>") + name + "</th>\n";
  text += " </tr>\n\n";
  return text;
}

constexpr const char* kEnd = "</table><a name=end></body></html>";

TEST_F(LogTest, NewHtmlFileHoldsHeaderBannerAndRowsByteForByte) {
  // Plain, inverse (MaxValue 100 minus the value) and scaled (bytes / 1024) axes.
  Start({Axis("% Processor Time", 100, 80), Axis("% Free Space", 100, 90, 1, true),
         Axis("Available MBytes", 4096, 3000, 1024)});
  ASSERT_TRUE(Row({50, 25, 1048576}));    // first row: no arrows
  ASSERT_TRUE(Row({80, 5, 2097152}));     // 80 equals its critical value: pink; all go up
  ASSERT_TRUE(Row({40, -1.0, 1048576}));  // down, unavailable, down

  const std::string expected =
      std::string(kHeader) +
      Banner("on Saturday, December 07, 2024 at 20:35:09", "every update of counter values.",
             {"% Processor Time", "% Free Space", "Available MBytes"}) +
      " <tr bgcolor=aliceblue><td>12/07</td><td>20:35:11</td>\n"
      "  <td nowrap >50.00</td>\n"
      "  <td nowrap >75.00</td>\n"
      "  <td nowrap >1024.00</td>\n"
      " </tr>\n"
      " <tr bgcolor=whitesmoke><td>12/07</td><td>20:35:13</td>\n"
      "  <td nowrap bgcolor=pink>80.00 <font color=red><b>&uarr;</b></font></td>\n"
      "  <td nowrap bgcolor=pink>95.00 <font color=red><b>&uarr;</b></font></td>\n"
      "  <td nowrap >2048.00 <font color=red><b>&uarr;</b></font></td>\n"
      " </tr>\n"
      " <tr bgcolor=aliceblue><td>12/07</td><td>20:35:15</td>\n"
      "  <td nowrap >40.00 <font color=green><b>&darr;</b></font></td>\n"
      "  <td nowrap bgcolor=silver>N/A</td>\n"
      "  <td nowrap >1024.00 <font color=green><b>&darr;</b></font></td>\n"
      " </tr>\n" +
      kEnd;
  EXPECT_EQ(ReadFile(HtmlPath()), expected);
  EXPECT_EQ(log_.row_count(), 3);
  EXPECT_EQ(log_.GetLogPath(), HtmlPath().string());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(LogTest, ReopenedHtmlLogGetsNoSecondHeaderAndKeepsItsRows) {
  settings_.mode = 2;
  Start({Axis("Threads")});
  ASSERT_TRUE(Row({7}));
  const std::string before = ReadFile(HtmlPath());

  ASSERT_TRUE(log_.Open(settings_, false));
  log_.ResetCounters(1);
  ASSERT_TRUE(log_.WriteBanner(settings_, axes_));
  ASSERT_TRUE(Row({7}));  // unchanged, but the first row after opening is always written

  const std::string after = ReadFile(HtmlPath());
  // The banner replaced only "<a name=end></body></html>": the table before it stays closed.
  const std::string kept = before.substr(0, before.size() - 26);
  ASSERT_EQ(after.substr(0, kept.size()), kept);
  EXPECT_EQ(after.substr(kept.size()),
            Banner("on Saturday, December 07, 2024 at 20:35:11", "changes in counter values only.",
                   {"Threads"}) +
                " <tr bgcolor=aliceblue><td>12/07</td><td>20:35:13</td>\n"
                "  <td nowrap >7.00</td>\n </tr>\n" +
                kEnd);
  EXPECT_EQ(Count(after, "<html>"), 1);
}

// Mode 2 compares the two-decimal texts of consecutive samples.
TEST_F(LogTest, ValueChangesModeWritesOnlyWhenTheShownValueChanges) {
  settings_.mode = 2;
  Start({Axis("A"), Axis("B")});
  struct Step {
    double a;
    bool row;
  };
  const Step steps[] = {{10.001, true},   // first row after opening
                        {10.004, false},  // 10.00 -> 10.00
                        {10.006, true},   // 10.00 -> 10.01
                        {10.006, false},
                        {-1.0, true}};  // unavailable reads as another value
  int rows = 0;
  for (const Step& step : steps) {
    ASSERT_TRUE(Row({step.a, 3.0}));
    rows += step.row ? 1 : 0;
    EXPECT_EQ(log_.row_count(), rows) << "after " << step.a;
  }
  const std::string text = ReadFile(HtmlPath());
  EXPECT_EQ(Count(text, "<td nowrap >10.00</td>"), 1);
  EXPECT_EQ(Count(text, "<td nowrap >10.01 <font color=red><b>&uarr;</b></font></td>"), 1);
  EXPECT_EQ(Count(text, "bgcolor=silver>N/A"), 1);
}

// Mode 3 writes when a counter crosses its critical value or its availability changes.
TEST_F(LogTest, StateChangesModeWritesOnCriticalAndAvailabilityChanges) {
  settings_.mode = 3;
  Start({Axis("Load", 100, 80)});
  struct Step {
    double value;
    bool row;
  };
  const Step steps[] = {{10, true},     // first row
                        {50, false},    // value changed, state did not
                        {80, true},     // reaches the critical value
                        {95, false},    // still critical
                        {-1.0, true},   // becomes unavailable
                        {-1.0, false},  // stays unavailable
                        {20, true}};    // back, and normal
  int rows = 0;
  for (const Step& step : steps) {
    ASSERT_TRUE(Row({step.value}));
    rows += step.row ? 1 : 0;
    EXPECT_EQ(log_.row_count(), rows) << "after " << step.value;
  }
  const std::string text = ReadFile(HtmlPath());
  EXPECT_EQ(Count(text, "  <td nowrap bgcolor=silver>N/A</td>\n"), 1);
  // Arrows in mode 3 compare with the last row's value (80 -> unavailable -> 20); their
  // direction with the previous sample.
  EXPECT_NE(text.find("<td nowrap bgcolor=pink>80.00 <font color=red><b>&uarr;</b></font>"),
            std::string::npos);
  EXPECT_NE(text.find("<td nowrap >20.00 <font color=red><b>&uarr;</b></font>"), std::string::npos);
}

TEST_F(LogTest, FullLogMovesToBackupAndNewFileLinksIt) {
  settings_.file_size_kb = 1;
  Start({Axis("Processor"), Axis("Memory")});
  std::string last_full;
  int rows = 0;
  while (std::filesystem::file_size(HtmlPath()) < 1024) {
    ASSERT_TRUE(Row({12.5, 40}));
    ++rows;
    last_full = ReadFile(HtmlPath());
  }
  ASSERT_FALSE(std::filesystem::exists(HtmlBackup()));
  ASSERT_GT(rows, 1);

  ASSERT_TRUE(Row({13.5, 40}));
  EXPECT_EQ(ReadFile(HtmlBackup()), last_full);
  const std::string expected =
      "<html><body>\n<h1>Corvane Log: MyProfile</h1>\n"
      "Navigate: <a href=\"#end\">End Of File</a> &#8226; "
      "<a href=\"MyProfile-log.html\">Current Log</a> &#8226; "
      "<a href=\"MyProfile-log-bkup.html\">Backup Log</a><br>\n" +
      Banner("on Saturday, December 07, 2024 at 20:35:" + std::to_string(9 + 2 * (rows + 1)),
             "every update of counter values.", {"Processor", "Memory"}) +
      " <tr bgcolor=aliceblue><td>12/07</td><td>20:35:" + std::to_string(9 + 2 * (rows + 1)) +
      "</td>\n  <td nowrap >13.50</td>\n  <td nowrap >40.00</td>\n </tr>\n" + kEnd;
  EXPECT_EQ(ReadFile(HtmlPath()), expected) << "first row after the rotation has no arrows";
  EXPECT_EQ(log_.row_count(), 1);
}

TEST_F(LogTest, CleanMakesTheBackupAndStartsAFreshLog) {
  Start({Axis("Processor")});
  ASSERT_TRUE(Row({1}));
  const std::string old_log = ReadFile(HtmlPath());
  WriteFile(HtmlBackup(), "an older backup");

  ASSERT_TRUE(log_.Clean(settings_, axes_));
  EXPECT_EQ(ReadFile(HtmlBackup()), old_log);
  const std::string fresh = ReadFile(HtmlPath());
  EXPECT_EQ(fresh.find("<html><body>\n"), 0U);
  EXPECT_NE(fresh.find("<a href=\"MyProfile-log-bkup.html\">Backup Log</a>"), std::string::npos);
  EXPECT_EQ(Count(fresh, "<p><font size=+1><b>Started"), 1);
  EXPECT_EQ(log_.row_count(), 0);
}

// A log that lost its trailing text (cut short, or edited by hand) gets the new banner or row
// after its last byte; nothing of it is overwritten.
TEST_F(LogTest, CutOrEditedLogIsAppendedToNotOverwritten) {
  struct Case {
    const char* name;
    int cut;  // bytes cut from the end
    const char* appended_text;
  };
  const Case cases[] = {{"trailing text cut", 10, ""},
                        {"trailing text cut completely", 34, ""},
                        {"edited after the end", 0, "\n<!-- note by the admin -->\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ActivityLog log([this] { return now_; });
    log.SetLocation((folder.path() / "P.crvn").string());
    const std::vector<LogAxis> axes = {Axis("Threads")};
    const double value[] = {5};
    ASSERT_TRUE(log.Open(settings_, false));
    log.ResetCounters(1);
    ASSERT_TRUE(log.WriteBanner(settings_, axes));
    ASSERT_TRUE(log.WriteRow(settings_, axes, value));
    const auto path = folder.path() / "Logs" / "P-log.html";
    std::string edited = ReadFile(path);
    edited.resize(edited.size() - static_cast<std::size_t>(c.cut));
    edited += c.appended_text;
    WriteFile(path, edited);

    ASSERT_TRUE(log.WriteRow(settings_, axes, value));
    const std::string row =
        " <tr bgcolor=whitesmoke><td>12/07</td><td>20:35:09</td>\n"
        "  <td nowrap >5.00</td>\n </tr>\n";
    EXPECT_EQ(ReadFile(path), edited + row + kEnd);

    // The file ends properly again, so the next banner replaces only its last 26 bytes.
    ASSERT_TRUE(log.WriteBanner(settings_, axes));
    EXPECT_EQ(ReadFile(path), edited + row + "</table>" +
                                  Banner("on Saturday, December 07, 2024 at 20:35:09",
                                         "every update of counter values.", {"Threads"}) +
                                  kEnd);
  }
}

TEST_F(LogTest, ForeignFileUnderTheLogNameKeepsItsContent) {
  std::filesystem::create_directory(Logs());
  const std::string foreign = "Date,Time,Threads\n12/06,10:00:00,5\n";
  WriteFile(HtmlPath(), foreign);
  Start({Axis("Threads")});
  const std::string text = ReadFile(HtmlPath());
  ASSERT_EQ(text.substr(0, foreign.size()), foreign);
  EXPECT_EQ(text.find("<html>"), std::string::npos) << "not a new file: no header";
  EXPECT_NE(text.find("<p><font size=+1><b>Started", foreign.size()), std::string::npos);
}

TEST_F(LogTest, MarkupInNamesIsEscaped) {
  TempFolder folder;
  ActivityLog log([this] { return now_; });
  log.SetLocation((folder.path() / "Web <b>&\"#1\".crvn").string());
  ASSERT_TRUE(log.Open(settings_, false));
  const std::vector<LogAxis> axes = {Axis("<script>alert(1)</script>")};
  ASSERT_TRUE(log.WriteBanner(settings_, axes));
  const std::string text = ReadFile(log.GetLogPath());
  EXPECT_NE(text.find("<h1>Corvane Log: Web &lt;b&gt;&amp;\"#1\"</h1>"), std::string::npos);
  EXPECT_NE(text.find("<a href=\"Web %3Cb%3E%26%22%231%22-log.html\">Current Log</a>"),
            std::string::npos);
  EXPECT_NE(text.find("  <th>&lt;script&gt;alert(1)&lt;/script&gt;</th>\n"), std::string::npos);
  EXPECT_EQ(text.find("<script>"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing_log
