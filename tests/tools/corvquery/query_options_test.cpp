#include "tools/corvquery/query_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::corvquery {
namespace {

using std::chrono::microseconds;
using testing::ElementsAreArray;

constexpr const char* kCpu = "\\Processor(_Total)\\% Processor Time";
constexpr const char* kThreads = "\\Objects\\Threads";

struct ArgsCase {
  const char* name;
  std::vector<std::string_view> args;
  Mode mode;
  std::vector<std::string> paths;
  std::string object;
  std::string machine;
  int samples;
  microseconds interval;
};

class ParseQueryArgsTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(ParseQueryArgsTest, Accepts) {
  const ArgsCase& c = GetParam();
  const ParsedArgs parsed = ParseQueryArgs(c.args);
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.mode, c.mode);
  EXPECT_THAT(parsed.options.paths, ElementsAreArray(c.paths));
  EXPECT_EQ(parsed.options.object, c.object);
  EXPECT_EQ(parsed.options.machine, c.machine);
  EXPECT_EQ(parsed.options.samples, c.samples);
  EXPECT_EQ(parsed.options.interval, c.interval);
}

const microseconds kSecond{1'000'000};

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ParseQueryArgsTest,
    testing::Values(ArgsCase{"Defaults", {kCpu}, Mode::kSample, {kCpu}, "", "", 1, kSecond},
                    ArgsCase{"SeparateValues",
                             {"--samples", "3", "--interval", "0.5", kCpu, kThreads},
                             Mode::kSample,
                             {kCpu, kThreads},
                             "",
                             "",
                             3,
                             microseconds{500'000}},
                    ArgsCase{"JoinedValuesAfterPaths",
                             {kCpu, "--samples=10", "--interval=2"},
                             Mode::kSample,
                             {kCpu},
                             "",
                             "",
                             10,
                             2 * kSecond},
                    ArgsCase{"LaterOptionWins",
                             {"--samples", "2", kCpu, "--samples", "5"},
                             Mode::kSample,
                             {kCpu},
                             "",
                             "",
                             5,
                             kSecond},
                    ArgsCase{"SmallestAndLargestInterval",
                             {"--interval", "0.001", kCpu, "--interval", "86400"},
                             Mode::kSample,
                             {kCpu},
                             "",
                             "",
                             1,
                             microseconds{86'400'000'000}},
                    ArgsCase{"ExponentInterval",
                             {"--interval", "2.5e-1", kCpu},
                             Mode::kSample,
                             {kCpu},
                             "",
                             "",
                             1,
                             microseconds{250'000}},
                    ArgsCase{"DoubleDashEndsOptions",
                             {"--", "--samples"},
                             Mode::kSample,
                             {"--samples"},
                             "",
                             "",
                             1,
                             kSecond},
                    ArgsCase{"ListObjects", {"--list"}, Mode::kListObjects, {}, "", "", 1, kSecond},
                    ArgsCase{"ListObject",
                             {"--list", "Processor"},
                             Mode::kListObject,
                             {},
                             "Processor",
                             "",
                             1,
                             kSecond},
                    ArgsCase{"ListObjectJoined",
                             {"--list=Paging File"},
                             Mode::kListObject,
                             {},
                             "Paging File",
                             "",
                             1,
                             kSecond},
                    ArgsCase{"ListOnHost",
                             {"Memory", "--machine", "db:9100", "--list"},
                             Mode::kListObject,
                             {},
                             "Memory",
                             "\\\\db:9100",
                             1,
                             kSecond},
                    ArgsCase{"ListOnHostWithBackslashes",
                             {"--list", "--machine=\\\\db"},
                             Mode::kListObjects,
                             {},
                             "",
                             "\\\\db",
                             1,
                             kSecond},
                    ArgsCase{"HelpWinsOverErrors",
                             {"--bogus", "--samples", "0", "--help"},
                             Mode::kHelp,
                             {},
                             "",
                             "",
                             1,
                             kSecond},
                    ArgsCase{"ShortHelp", {"-h"}, Mode::kHelp, {}, "", "", 1, kSecond}),
    [](const testing::TestParamInfo<ArgsCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::corvquery
