// The CSV activity log and the switch between formats, on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "log_test_support.h"

namespace corvane::testing_log {
namespace {

TEST_F(LogTest, CsvFileHoldsHeaderBannerAndRowsByteForByte) {
  settings_.format = 1;
  // Commas would add columns, line breaks would add rows: both leave the heading.
  Start({Axis("% Processor Time"), Axis("Bytes In, Out,", 1e6, 1e5, 1024), Axis("Two\nLines\r")});
  ASSERT_TRUE(Row({50, 1536, 3}));
  ASSERT_TRUE(Row({-1.0, 2048, 3}));
  ASSERT_TRUE(Row({80, 2048, -1.0}));  // critical: CSV has no colours

  EXPECT_EQ(ReadFile(CsvPath()),
            "Corvane Log: MyProfile\n"
            "\nStarted on Saturday 12/07/2024 at 20:35:09\n"
            "Date,Time,% Processor Time,Bytes In Out,TwoLines\n"
            "12/07,20:35:11,50.00,1.50,3.00\n"
            "12/07,20:35:13,N/A,2.00,3.00\n"
            "12/07,20:35:15,80.00,2.00,N/A\n");
  EXPECT_EQ(log_.GetLogPath(), CsvPath().string());
  EXPECT_FALSE(std::filesystem::exists(HtmlPath()));
}

TEST_F(LogTest, CsvValueChangesModeFollowsTheSameRules) {
  settings_.format = 1;
  settings_.mode = 2;
  Start({Axis("A")});
  for (const double value : {10.001, 10.004, 10.006}) ASSERT_TRUE(Row({value}));
  const std::string text = ReadFile(CsvPath());
  EXPECT_EQ(text.substr(text.find("Date,Time,A\n")),
            "Date,Time,A\n12/07,20:35:11,10.00\n12/07,20:35:15,10.01\n");
}

// The engine reopens the log and writes a banner when the format changes.
TEST_F(LogTest, SwitchingFormatsLeavesTheOtherFileUntouched) {
  Start({Axis("Threads")});
  ASSERT_TRUE(Row({4}));
  const std::string html = ReadFile(HtmlPath());

  settings_.format = 1;
  ASSERT_TRUE(log_.Open(settings_, false));
  ASSERT_TRUE(log_.WriteBanner(settings_, axes_));
  ASSERT_TRUE(Row({5}));
  EXPECT_EQ(ReadFile(HtmlPath()), html);
  const std::string csv = ReadFile(CsvPath());
  EXPECT_EQ(csv,
            "Corvane Log: MyProfile\n"
            "\nStarted on Saturday 12/07/2024 at 20:35:11\nDate,Time,Threads\n"
            "12/07,20:35:13,5.00\n");

  // Back to HTML: the HTML log continues after its last row, the CSV file stays as it was.
  settings_.format = 0;
  ASSERT_TRUE(log_.Open(settings_, false));
  ASSERT_TRUE(log_.WriteBanner(settings_, axes_));
  const std::string continued = ReadFile(HtmlPath());
  const std::string kept = html.substr(0, html.size() - 26);
  EXPECT_EQ(continued.substr(0, kept.size()), kept);
  EXPECT_EQ(Count(continued, "<p><font size=+1><b>Started"), 2);
  EXPECT_EQ(ReadFile(CsvPath()), csv);

  // And back to CSV once more: an existing CSV log gets no second header.
  settings_.format = 1;
  ASSERT_TRUE(log_.Open(settings_, false));
  ASSERT_TRUE(log_.WriteBanner(settings_, axes_));
  const std::string again = ReadFile(CsvPath());
  EXPECT_EQ(again.substr(0, csv.size()), csv);
  EXPECT_EQ(Count(again, "Corvane Log:"), 1);
  EXPECT_EQ(Count(again, "Started on"), 2);
}

TEST_F(LogTest, CsvCleanAndRotationUseCsvNames) {
  settings_.format = 1;
  settings_.file_size_kb = 1;
  Start({Axis("Processor")});
  while (std::filesystem::file_size(CsvPath()) < 1024) ASSERT_TRUE(Row({1}));
  const std::string full = ReadFile(CsvPath());
  ASSERT_TRUE(Row({2}));
  EXPECT_EQ(ReadFile(CsvBackup()), full);
  const std::string fresh = ReadFile(CsvPath());
  EXPECT_EQ(fresh.find("Corvane Log: MyProfile\n\nStarted on "), 0U);
  EXPECT_EQ(Count(fresh, "\n12/07,"), 1);

  ASSERT_TRUE(log_.Clean(settings_, axes_));
  EXPECT_EQ(ReadFile(CsvBackup()), fresh);
  EXPECT_FALSE(std::filesystem::exists(HtmlBackup()));
}

}  // namespace
}  // namespace corvane::testing_log
