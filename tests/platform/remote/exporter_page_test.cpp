#include "platform/remote/exporter_page.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/remote/remote_fixtures.h"

namespace corvane::remote {
namespace {

TEST(ExporterPage, FindsTheSamplesOfEachMetric) {
  ExporterPage page;
  ASSERT_TRUE(
      page.Load("# TYPE cpu counter\n"
                "cpu{cpu=\"0\",mode=\"idle\"} 10\n"
                "cpu{cpu=\"0\",mode=\"user\"} 2\n"
                "cpu{cpu=\"1\",mode=\"idle\"} 11\n"
                "up 1\n"));
  const auto cpu = page.Find("cpu");
  ASSERT_EQ(cpu.size(), 3u);
  EXPECT_EQ(page.LabelOf(cpu[1], "mode"), "user");
  EXPECT_EQ(page.LabelOf(cpu[2], "cpu"), "1");
  EXPECT_EQ(page.LabelOf(cpu[2], "missing"), "");
  EXPECT_EQ(cpu[2].value, 11);
  double up = 0;
  EXPECT_TRUE(page.Value("up", &up));
  EXPECT_EQ(up, 1);
  EXPECT_TRUE(page.Find("cp").empty());
  EXPECT_TRUE(page.Find("cpu_").empty());
  EXPECT_FALSE(page.Has("down"));
  EXPECT_FALSE(page.Value("down", &up));
}

TEST(ExporterPage, EscapedValuesOutliveTheParsersBuffer) {
  // Each escaped value passes through the parser's one buffer; the page must keep its own copy
  // or the first value would read as the last.
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += "f{file=\"C:\\\\page" + std::to_string(i) + ".sys\",n=\"a\\\"b\"} " +
            std::to_string(i) + "\n";
  ExporterPage page;
  ASSERT_TRUE(page.Load(text));
  const auto files = page.Find("f");
  ASSERT_EQ(files.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(page.LabelOf(files[i], "file"), "C:\\page" + std::to_string(i) + ".sys");
    EXPECT_EQ(page.LabelOf(files[i], "n"), "a\"b");
  }
}

TEST(ExporterPage, RefusesAMetricSplitIntoTwoGroups) {
  ExporterPage page;
  EXPECT_FALSE(page.Load("a 1\nb 2\na 3\n"));
  EXPECT_NE(std::string(page.error().reason).find("split"), std::string::npos);
  EXPECT_TRUE(page.samples().empty());
}

TEST(ExporterPage, AFailedPageHoldsNothingAndTellsTheLine) {
  ExporterPage page;
  ASSERT_TRUE(page.Load("a 1\n"));
  EXPECT_FALSE(page.Load("a 1\nb{c=\"d\"} x\n"));
  EXPECT_EQ(page.error().line, 2u);
  EXPECT_FALSE(page.Has("a")) << "nothing of a broken page is served";
  EXPECT_TRUE(page.samples().empty());
}

TEST(ExporterPage, ReindexingReplacesThePreviousPage) {
  ExporterPage page;
  ASSERT_TRUE(page.Load("a 1\nb 2\n"));
  ASSERT_TRUE(page.Load("b 3\nc 4\n"));
  double value = 0;
  EXPECT_FALSE(page.Has("a"));
  EXPECT_TRUE(page.Value("b", &value));
  EXPECT_EQ(value, 3);
  EXPECT_TRUE(page.Value("c", &value));
  EXPECT_EQ(value, 4);
}

TEST(ExporterPage, IndexesEveryMetricOfARecordedPage) {
  ExporterPage page;
  ASSERT_TRUE(page.Load(testing::ReadExporterFixture("node_exporter_1.5.0.prom")));
  EXPECT_EQ(page.samples().size(), 507u);
  // Every sample is found through its own name, and the groups cover the page exactly once.
  std::size_t covered = 0;
  std::string_view previous;
  for (const auto& series : page.samples()) {
    if (series.name == previous) continue;
    previous = series.name;
    const auto group = page.Find(series.name);
    ASSERT_FALSE(group.empty()) << series.name;
    EXPECT_EQ(group.data(), &series) << series.name;
    covered += group.size();
  }
  EXPECT_EQ(covered, page.samples().size());
  EXPECT_EQ(page.Find("node_cpu_seconds_total").size(), 16u);
}

}  // namespace
}  // namespace corvane::remote
