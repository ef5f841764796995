// What a dropped file is, told by its content whatever its name.
#include "core/recording/dropped_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/core/recording/recording_test_support.h"

namespace corvane::recording {
namespace {

struct Case {
  const char* name;
  std::string text;
  DroppedFileKind kind;
};

class DroppedFileTest : public ::testing::TestWithParam<Case> {};

TEST_P(DroppedFileTest, IsToldByItsContent) {
  test_support::TempFolder folder;
  const std::filesystem::path path = folder / "dropped.crvn";  // the name misleads on purpose
  testing_recording::WriteFile(path, GetParam().text);
  EXPECT_EQ(ClassifyDroppedFile(path), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DroppedFileTest,
    ::testing::Values(
        Case{"CsvLog", "Corvane Log: Night\n\nStarted on Wednesday 12/31/2025 at 23:59:58\n",
             DroppedFileKind::kActivityLog},
        Case{"HtmlLog", "<html><body>\n<h1>Corvane Log: Night</h1>\n",
             DroppedFileKind::kActivityLog},
        Case{"Profile",
             "\r\n# CORVANE CONFIGURATION FILE. DO NOT MODIFY!\r\n\r\nInterval=2\r\n"
             "BeginAxis\r\nName=CPU\r\nEndAxis\r\n",
             DroppedFileKind::kProfile},
        Case{"ProfileWithoutHeader", "History=30\nLogMode=2\n", DroppedFileKind::kProfile},
        Case{"OtherHtml", "<html><body>\n<h1>Something else</h1>\n", DroppedFileKind::kUnknown},
        Case{"Text", "Dear reader,\nthis is a letter.\n", DroppedFileKind::kUnknown},
        Case{"Binary", std::string("\x89PNG\r\n\x1a\n\0\0", 10), DroppedFileKind::kUnknown},
        Case{"Empty", "", DroppedFileKind::kUnknown}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(DroppedFileMissingTest, AMissingFileIsNeither) {
  EXPECT_EQ(ClassifyDroppedFile("/nonexistent/dropped.crvn"), DroppedFileKind::kUnknown);
}

TEST(DroppedFileLongTest, AProfileLongerThanTheWindowIsStillAProfile) {
  test_support::TempFolder folder;
  std::string text = "Interval=1\r\n";
  while (text.size() < 20000)
    text += "BeginAxis\r\nName=Processor Time\r\nMinValue=0\r\nEndAxis\r\n";
  const std::filesystem::path path = folder / "long.crvn";
  testing_recording::WriteFile(path, text);
  EXPECT_EQ(ClassifyDroppedFile(path), DroppedFileKind::kProfile);
}

// Neither a folder nor a pipe nobody writes to is a file to open, and telling so returns at
// once instead of waiting for a writer.
TEST(DroppedFileSpecialTest, AFolderOrAPipeIsNeither) {
  test_support::TempFolder folder;
  EXPECT_EQ(ClassifyDroppedFile(folder.path()), DroppedFileKind::kUnknown);
  const std::filesystem::path pipe = folder / "pipe.crvn";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ClassifyDroppedFile(pipe), DroppedFileKind::kUnknown);
}

}  // namespace
}  // namespace corvane::recording
