// corvsnap --log as a user runs it: a recorded moment drawn from a log in a profile's Logs
// folder, at a time, at seconds from the start or at the end, a numbered series, and the
// answers to wrong command lines and files.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/core/recording/recording_test_support.h"
#include "tools/corvsnap/snap_tool.h"

namespace corvane::corvsnap {
namespace {

using testing_recording::ProfileText;
using testing_recording::ReadFile;
using testing_recording::TestAxis;
using testing_recording::WriteFile;

const std::string kLog =
    "Corvane Log: Night\n\nStarted on Wednesday 12/31/2025 at 23:59:58\nDate,Time,Load,Free\n"
    "12/31,23:59:59,10.00,N/A\n01/01,00:00:00,90.00,20.50\n01/01,00:00:01,50.00,30.00\n";

struct Case {
  const char* name;
  std::vector<std::string> args;  // "LOG" and "DIR/" are replaced by the test's paths
  int exit_code;
  std::string out;                    // a part of standard output
  std::string err;                    // a part of standard error (empty: none at all)
  std::vector<std::string> pictures;  // written, with a text each must hold
  std::string picture_text;
};

class CorvsnapLogTest : public ::testing::TestWithParam<Case> {
 protected:
  CorvsnapLogTest() {
    WriteFile(folder_ / "Logs/Night-log.csv", kLog);
    WriteFile(folder_ / "Logs/Cut-log.csv", kLog + "01/01,00:00:02,5");
    WriteFile(folder_ / "Night.crvn",
              ProfileText("Interval=1\r\nHistory=2\r\nLogMode=1\r\nLogFormat=1\r\n",
                          {{"Load (profile)", 100, 80, 1, false, "\\A"},
                           {"Free (profile)", 100, 80, 1, true, "\\B"}}));
  }
  std::string Path(const std::string& arg) const {
    if (arg == "LOG") return (folder_ / "Logs/Night-log.csv").string();
    if (arg.rfind("DIR/", 0) == 0) return (folder_ / arg.substr(4)).string();
    return arg;
  }
  test_support::TempFolder folder_;
};

TEST_P(CorvsnapLogTest, AnswersAsAUserExpects) {
  const Case& c = GetParam();
  std::vector<std::string> args;
  for (const std::string& arg : c.args) args.push_back(Path(arg));
  const std::vector<std::string_view> views(args.begin(), args.end());
  fake::FakeProvider provider;
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunSnapTool(views, provider, PngWriter{}, out, err), c.exit_code) << err.str();
  EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
  if (c.err.empty()) {
    EXPECT_EQ(err.str(), "");
  } else {
    EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
  }
  for (const std::string& picture : c.pictures) {
    const std::string svg = ReadFile(folder_ / picture);
    EXPECT_NE(svg.find("<svg"), std::string::npos) << picture;
    EXPECT_NE(svg.find(c.picture_text), std::string::npos) << picture;
  }
  if (c.pictures.empty()) {
    EXPECT_FALSE(std::filesystem::exists(folder_ / "out.svg"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CorvsnapLogTest,
    ::testing::Values(
        Case{"TheLastSampleWithTheProfileBesideTheLog",
             {"--log", "LOG", "DIR/out.svg"},
             0,
             "out.svg: Recorded 2026-01-01 00:00:01",
             "",
             {"out.svg"},
             ">Load (profile)<"},
        Case{"TheLogsOwnColumnsWithoutAProfile",
             {"--log", "LOG", "-", "DIR/out.svg"},
             0,
             "Recorded 2026-01-01 00:00:01",
             "",
             {"out.svg"},
             ">Load<"},
        Case{"ALocalTimeAfterTheTurnOfTheYear",
             {"--log", "LOG", "--at", "2026-01-01 00:00:00", "DIR/out.svg"},
             0,
             "Recorded 2026-01-01 00:00:00",
             "",
             {"out.svg"},
             ">90<"},
        Case{"SecondsFromTheStart",
             {"--log", "LOG", "--at", "+1", "DIR/out.svg"},
             0,
             "Recorded 2026-01-01 00:00:00",
             "",
             {"out.svg"},
             ">90<"},
        Case{"ANumberedPictureEverySample",
             {"--log", "LOG", "--every", "1", "DIR/out.svg"},
             0,
             "out-000003.svg: Recorded 2026-01-01 00:00:01",
             "",
             {"out-000001.svg", "out-000002.svg", "out-000003.svg"},
             ">Free (profile)<"},
        Case{"EveryOtherSampleFromATime",
             {"--log", "LOG", "--every", "2", "--at", "+0", "DIR/out.svg"},
             0,
             "out-000002.svg: Recorded 2026-01-01 00:00:01",
             "",
             {"out-000001.svg", "out-000002.svg"},
             "<svg"},
        Case{"ADamagedLogDrawsWhatCameBefore",
             {"--log", "DIR/Logs/Cut-log.csv", "DIR/out.svg"},
             0,
             "Recorded 2026-01-01 00:00:01",
             "Cut-log.csv: line 8: the last line is cut off (it has no line end); the "
             "recording ends there",
             {"out.svg"},
             "<svg"},
        Case{"ATimeOutsideTheRecording",
             {"--log", "LOG", "--at", "+100", "DIR/out.svg"},
             1,
             "",
             "corvsnap: --at: 2026-01-01 00:01:39 lies outside the recording (2025-12-31 "
             "23:59:59 to 2026-01-01 00:00:01)",
             {},
             ""},
        Case{"ATimeThatIsNone",
             {"--log", "LOG", "--at", "tomorrow", "DIR/out.svg"},
             1,
             "",
             "corvsnap: --at: \"tomorrow\" is neither a local time YYYY-MM-DD HH:MM:SS nor +N "
             "seconds",
             {},
             ""},
        Case{"NoSuchLog",
             {"--log", "DIR/Logs/None-log.csv", "DIR/out.svg"},
             1,
             "",
             "None-log.csv: No such file or directory",
             {},
             ""},
        Case{"AProfileThatIsNotOne",
             {"--log", "LOG", "DIR/Logs/Night-log.csv", "DIR/out.svg"},
             1,
             "",
             "the profile has no counters",
             {},
             ""},
        Case{"EveryNeedsAPositiveNumber",
             {"--log", "LOG", "--every", "0", "DIR/out.svg"},
             2,
             "",
             "corvsnap: --every: \"0\" is not a number of samples from 1 up",
             {},
             ""},
        Case{"AtNeedsALog", {"-", "DIR/out.svg", "--at", "+1"}, 2, "", "--at needs --log", {}, ""},
        Case{"TooManyNames",
             {"--log", "LOG", "a.crvn", "b.crvn", "DIR/out.svg"},
             2,
             "",
             "more than PROFILE and OUTPUT given",
             {},
             ""},
        Case{"NoOutput", {"--log", "LOG"}, 2, "", "OUTPUT is needed", {}, ""},
        Case{"PngWithoutQt", {"--log", "LOG", "DIR/out.png"}, 1, "", "writes SVG only", {}, ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::corvsnap
