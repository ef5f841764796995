#include "core/counter_path.h"

#include <gtest/gtest.h>

#include "core/perf_names.h"
#include "tests/support/case_name.h"

namespace corvane {
namespace {

struct ParseCase {
  const char* text;
  const char* machine;
  const char* object;
  bool has_instance;
  const char* instance;
  const char* counter;
};

class ParseCounterPathTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCounterPathTest, SplitsIntoParts) {
  const ParseCase& c = GetParam();
  const auto path = ParseCounterPath(c.text);
  ASSERT_TRUE(path.has_value()) << c.text;
  EXPECT_EQ(path->machine, c.machine);
  EXPECT_EQ(path->object, c.object);
  EXPECT_EQ(path->has_instance, c.has_instance);
  EXPECT_EQ(path->instance, c.instance);
  EXPECT_EQ(path->counter, c.counter);
  EXPECT_EQ(FormatCounterPath(*path), c.text) << "formatting gives the path back";
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, ParseCounterPathTest,
    testing::Values(
        ParseCase{"\\Memory\\% Committed Bytes In Use", "", "Memory", false, "",
                  "% Committed Bytes In Use"},
        ParseCase{"\\Processor(_Total)\\% Processor Time", "", "Processor", true, "_Total",
                  "% Processor Time"},
        ParseCase{"\\\\web01\\Processor(0)\\% Processor Time", "\\\\web01", "Processor", true, "0",
                  "% Processor Time"},
        ParseCase{"\\\\web01:9100\\Objects\\Threads", "\\\\web01:9100", "Objects", false, "",
                  "Threads"},
        ParseCase{"\\LogicalDisk(/)\\% Free Space", "", "LogicalDisk", true, "/", "% Free Space"},
        // An instance may hold parentheses of its own: it ends at the ")" before the backslash.
        ParseCase{"\\Network Interface(Intel(R) 1)\\Bytes Total/sec", "", "Network Interface", true,
                  "Intel(R) 1", "Bytes Total/sec"},
        ParseCase{"\\238(_Total)\\6", "", "238", true, "_Total", "6"},
        ParseCase{"\\Paging File()\\% Usage", "", "Paging File", true, "", "% Usage"}),
    [](const testing::TestParamInfo<ParseCase>& info) {
      return test_support::CaseName(info.param.text);
    });

TEST(ParseCounterPath, RefusesMalformedPaths) {
  for (const char* text : {"", "Memory", "\\Memory", "\\Memory\\", "\\(0)\\X", "\\Processor(0\\X",
                           "\\Processor(0)", "\\\\host", "\\\\host\\", "Memory\\Available Bytes"}) {
    EXPECT_FALSE(ParseCounterPath(text).has_value()) << '"' << text << '"';
  }
}

TEST(MachinePart, NeedsTwoLeadingBackslashesAndAThird) {
  EXPECT_EQ(MachinePart("\\\\srv\\Memory\\Available Bytes"), "\\\\srv");
  EXPECT_EQ(MachinePart("\\\\srv"), "") << "no third backslash: no machine part";
  EXPECT_EQ(MachinePart("\\Memory\\Available Bytes"), "");
  EXPECT_EQ(MachinePart("\\\\\\Memory"), "\\\\") << "an empty name still ends at the third";
}

TEST(NamesEqual, IgnoresAsciiCaseOnly) {
  EXPECT_TRUE(NamesEqual("% Processor Time", "% PROCESSOR time"));
  EXPECT_FALSE(NamesEqual("Processor", "Processors"));
  EXPECT_FALSE(NamesEqual("MS TCP Loopback", "MS TCP Loopback "));
}

TEST(InstanceName, ReplacesWhatAPathCannotCarry) {
  struct Case {
    const char* source;
    const char* instance;
  };
  for (const Case& c : {Case{"eth0", "eth0"}, Case{"/mnt/a (old)", "/mnt/a [old]"},
                        Case{"C:\\", "C:_"}, Case{"Intel(R) 82574L", "Intel[R] 82574L"}}) {
    EXPECT_EQ(InstanceName(c.source), c.instance) << c.source;
    EXPECT_TRUE(InstanceMatches(c.source, c.instance)) << "the replaced name matches";
    EXPECT_TRUE(InstanceMatches(c.source, c.source)) << "the source's own spelling matches";
  }
  EXPECT_TRUE(InstanceMatches("ETH0", "eth0"));
  EXPECT_FALSE(InstanceMatches("eth0", "eth1"));
  EXPECT_FALSE(InstanceMatches("eth0", "eth0 "));
}

TEST(PerfNames, ResolvesTheCatalogueIndexes) {
  EXPECT_EQ(perf::EnglishName(perf::index::kProcessor), "Processor");
  EXPECT_EQ(perf::EnglishName(perf::index::kCommittedBytesInUse), "% Committed Bytes In Use");
  EXPECT_EQ(perf::EnglishName(perf::index::kCurrentBandwidth), "Current Bandwidth");
  EXPECT_EQ(perf::EnglishName(3), "") << "odd indexes are help texts";

  CounterPath path = *ParseCounterPath("\\238(_Total)\\6");
  ASSERT_TRUE(perf::ResolveNumericNames(&path));
  EXPECT_EQ(FormatCounterPath(path), "\\Processor(_Total)\\% Processor Time");

  CounterPath unknown = *ParseCounterPath("\\99999\\6");
  EXPECT_FALSE(perf::ResolveNumericNames(&unknown));
}

}  // namespace
}  // namespace corvane

TEST(RewriteCounterMachine, ReplacesAddsOrRemovesTheMachinePart) {
  struct Case {
    const char* path;
    const char* computer;
    const char* expected;
  };
  const Case cases[] = {
      {R"(\Processor(0)\% Processor Time)", "srv1", R"(\\srv1\Processor(0)\% Processor Time)"},
      {R"(\\srv1\Memory\% Committed Bytes In Use)", "192.0.2.10",
       R"(\\192.0.2.10\Memory\% Committed Bytes In Use)"},
      {R"(\\srv1\Processor(0)\% Processor Time)", "", R"(\Processor(0)\% Processor Time)"},
      {R"(\Processor(0)\% Processor Time)", "", R"(\Processor(0)\% Processor Time)"},
      {R"(\\srv1)", "", R"(\\srv1)"},
      {R"(\\srv1)", "srv2", R"(\\srv2\\srv1)"},
      {R"(\Memory\Available Bytes)", R"(\\srv3)", R"(\\\\srv3\Memory\Available Bytes)"},
      {"", "", ""},
      {"", "srv1", R"(\\srv1)"},
      {R"(\\)", "", R"(\\)"},
      {R"(\\host:9100\System\Processes)", "other", R"(\\other\System\Processes)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(corvane::RewriteCounterMachine(c.path, c.computer), c.expected)
        << "path " << c.path << ", computer \"" << c.computer << '"';
  }
}
