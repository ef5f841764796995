// The screen saver's command line: the framework's switches in every spelling and the Linux
// hosts' switches, with their order of precedence, and what is refused.
#include "screensaver/saver_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::screensaver {
namespace {

struct Case {
  std::string name;
  std::vector<std::string_view> args;
  const char* variable;  // $XSCREENSAVER_WINDOW, null when unset
  SaverMode mode;
  std::uint32_t window = 0;
  std::uint32_t owner = 0;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class SaverCommandLineTest : public testing::TestWithParam<Case> {};

TEST_P(SaverCommandLineTest, Parses) {
  const Case& c = GetParam();
  const SaverCommand command = ParseSaverCommandLine(c.args, c.variable);
  EXPECT_EQ(command.mode, c.mode) << command.error;
  EXPECT_EQ(command.window, c.window);
  EXPECT_EQ(command.owner, c.owner);
  EXPECT_EQ(command.error.empty(), c.mode != SaverMode::kError);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SaverCommandLineTest,
    testing::Values(
        Case{"NoArgument", {}, nullptr, SaverMode::kOptions},
        Case{"SlashS", {"/s"}, nullptr, SaverMode::kFullScreen},
        Case{"DashUpperS", {"-S"}, nullptr, SaverMode::kFullScreen},
        Case{"SlashUpperS", {"/S"}, nullptr, SaverMode::kFullScreen},
        Case{"PreviewSeparate", {"/p", "1234"}, nullptr, SaverMode::kPreview, 1234},
        Case{"PreviewHex", {"-P", "0x4a0000b"}, nullptr, SaverMode::kPreview, 0x4a0000b},
        Case{"PreviewColon", {"/p:77"}, nullptr, SaverMode::kPreview, 77},
        Case{"PreviewAttached", {"/p77"}, nullptr, SaverMode::kPreview, 77},
        Case{"PreviewL", {"/l", "99"}, nullptr, SaverMode::kPreview, 99},
        Case{"ConfigurePlain", {"/c"}, nullptr, SaverMode::kOptions},
        Case{"ConfigureOwner", {"/C:4660"}, nullptr, SaverMode::kOptions, 0, 4660},
        Case{"ConfigureDash", {"-c"}, nullptr, SaverMode::kOptions},
        Case{"Password", {"/a", "12"}, nullptr, SaverMode::kPassword, 12},
        Case{"PasswordUpper", {"-A:12"}, nullptr, SaverMode::kPassword, 12},
        Case{"RootWithVariable", {"-root"}, "0x1e00007", SaverMode::kHostWindow, 0x1e00007},
        Case{"RootTwoDashes", {"--root"}, "0x1e00007", SaverMode::kHostWindow, 0x1e00007},
        Case{"RootWithoutVariable", {"-root"}, nullptr, SaverMode::kHostWindow, 0},
        Case{"WindowIdDecimal",
             {"-window-id", "31457287"},
             nullptr,
             SaverMode::kHostWindow,
             31457287},
        Case{"WindowIdHexTwoDashes",
             {"--window-id", "0X1E00007"},
             nullptr,
             SaverMode::kHostWindow,
             0x1e00007},
        Case{"WindowIdEquals", {"--window-id=0x10"}, nullptr, SaverMode::kHostWindow, 16},
        Case{"WindowIdBeatsVariable",
             {"-window-id", "0x20", "-root"},
             "0x30",
             SaverMode::kHostWindow,
             0x20},
        Case{"VariableAloneMeansHost", {}, "0x40", SaverMode::kHostWindow, 0x40},
        Case{"HelpLong", {"--help"}, nullptr, SaverMode::kHelp},
        Case{"PreviewWithoutWindow", {"/p"}, nullptr, SaverMode::kError},
        Case{"PreviewZeroWindow", {"/p", "0"}, nullptr, SaverMode::kError},
        Case{"PreviewWordWindow", {"/p", "abc"}, nullptr, SaverMode::kError},
        Case{"PasswordWithoutWindow", {"/a"}, nullptr, SaverMode::kError},
        Case{"FullScreenWithWindow", {"/s:5"}, nullptr, SaverMode::kError},
        Case{"WindowIdMissing", {"-window-id"}, nullptr, SaverMode::kError},
        Case{"WindowIdTooLarge", {"-window-id", "0x100000000"}, nullptr, SaverMode::kError},
        Case{"WindowIdTrailing", {"-window-id", "12x"}, nullptr, SaverMode::kError},
        Case{"BadVariable", {"-root"}, "window", SaverMode::kError},
        Case{"UnknownLetter", {"/x"}, nullptr, SaverMode::kError},
        Case{"UnknownWord", {"-size"}, nullptr, SaverMode::kError},
        Case{"TwoFrameworkSwitches", {"/s", "/c"}, nullptr, SaverMode::kError},
        Case{"FrameworkAndHost", {"/s", "-root"}, "0x40", SaverMode::kError}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(ParseWindowIdTest, AcceptsDecimalAndHexOnly) {
  EXPECT_EQ(ParseWindowId("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseWindowId("0xffffffff"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseWindowId("0x"), std::nullopt);
  EXPECT_EQ(ParseWindowId("-5"), std::nullopt);
  EXPECT_EQ(ParseWindowId(" 5"), std::nullopt);
  EXPECT_EQ(ParseWindowId(""), std::nullopt);
}

}  // namespace
}  // namespace corvane::screensaver
