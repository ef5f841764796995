// The server's answers as read, the selector the queries send, and the series written back as
// exporter pages, over literal answers.
#include "platform/remote/server_answer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/remote/exporter_page.h"
#include "platform/remote/server_series.h"

namespace corvane::remote {
namespace {

TEST(ServerAnswer, ReadsAnInstantVector) {
  ServerAnswer answer;
  std::string reason;
  ASSERT_TRUE(ParseServerAnswer(
      R"({"status":"success","data":{"resultType":"vector","result":[
        {"metric":{"__name__":"up","instance":"web-03:9100","job":"node"},"value":[1700000000.5,"1"]},
        {"metric":{"__name__":"node_load1","instance":"web-03:9100"},"value":[1700000000.25,"0.75"]}]},
        "warnings":["x"]})",
      {}, &answer, &reason))
      << reason;
  EXPECT_TRUE(answer.success);
  EXPECT_EQ(answer.result_type, "vector");
  ASSERT_EQ(answer.series.size(), 2u);
  EXPECT_EQ(answer.series[0].Label("job"), "node");
  EXPECT_EQ(answer.series[1].Label("__name__"), "node_load1");
  ASSERT_EQ(answer.series[1].samples.size(), 1u);
  EXPECT_DOUBLE_EQ(answer.series[1].samples[0].time, 1700000000.25);
  EXPECT_DOUBLE_EQ(answer.series[1].samples[0].value, 0.75);
}

TEST(ServerAnswer, ReadsARangeMatrixAndSpecialValues) {
  ServerAnswer answer;
  std::string reason;
  ASSERT_TRUE(ParseServerAnswer(
      R"({"status":"success","data":{"resultType":"matrix","result":[
        {"metric":{"__name__":"m"},"values":[[1,"NaN"],[2,"+Inf"],[3,"-Inf"],[4,"1e3"]]}]}})",
      {}, &answer, &reason))
      << reason;
  ASSERT_EQ(answer.series.size(), 1u);
  const auto& samples = answer.series[0].samples;
  ASSERT_EQ(samples.size(), 4u);
  EXPECT_TRUE(std::isnan(samples[0].value));
  EXPECT_EQ(samples[1].value, INFINITY);
  EXPECT_EQ(samples[2].value, -INFINITY);
  EXPECT_EQ(samples[3].value, 1000.0);
  EXPECT_EQ(samples[3].time, 4.0);
}

TEST(ServerAnswer, ReadsTheServersErrorWithItsTypeAndText) {
  ServerAnswer answer;
  std::string reason;
  ASSERT_TRUE(ParseServerAnswer(
      R"({"status":"error","errorType":"bad_data","error":"1:5: parse error: unexpected"})", {},
      &answer, &reason));
  EXPECT_FALSE(answer.success);
  EXPECT_EQ(ErrorOf(answer),
            "the server answered an error: bad_data: 1:5: parse error: unexpected");
}

// Answers that are no answer of the API, each with the reason given.
TEST(ServerAnswer, RefusesHostileAnswersWithAReason) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {R"({"status":"success","data":{"resultType":"vector","result":[{"metric":{},"value":[1,"1"])",
       "not JSON"},
      {"", "not JSON"},
      {"<html>502 Bad Gateway</html>", "not JSON"},
      {R"([1,2])", "the answer is not an object"},
      {R"({"data":{"result":[]}})", "no \"status\""},
      {R"({"status":7})", "\"status\" is not a text"},
      {R"({"status":"maybe"})", "unknown \"status\""},
      {R"({"status":"success","data":{"resultType":"vector"}})", "no \"data\".\"result\""},
      {R"({"status":"success","data":{"result":{}}})", "is not a list"},
      {R"({"status":"success","data":{"result":[7]}})", "a result is not a series"},
      {R"({"status":"success","data":{"result":[{"metric":{"a":1},"value":[1,"1"]}]}})",
       "a label's value is not a text"},
      {R"({"status":"success","data":{"result":[{"metric":[],"value":[1,"1"]}]}})",
       "\"metric\" is not an object"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":[1,1]}]}})",
       "a sample's value is not a text"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":["1","1"]}]}})",
       "a sample's time is not a number"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":[1,"ten"]}]}})",
       "a sample's value is not a number"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":[1]}]}})",
       "not a pair of a time and a value"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":[1,"1",2]}]}})",
       "not a pair of a time and a value"},
      {R"({"status":"success","data":{"result":[{"metric":{},"values":[[1,"1"],7]}]}})",
       "not a pair of a time and a value"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":{}}]}})",
       "\"value\" is not a list"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":[1e400,"1"]}]}})",
       "a sample's time is not a number"},
      {R"({"status":"success","data":{"result":[]}}})", "not JSON"},
      {R"({"status":"success","data":{"result":[]}} {})", "not JSON"},
      {R"({"status":"success","data":{"result":[{"metric":{},"value":[1,"1"],}]}})", "not JSON"},
      {R"({"status":"success","data":{"result":[{"metric":{"a":"1},"value":[1,"1"]}]}})",
       "not JSON"},
  };
  for (const auto& c : cases) {
    ServerAnswer answer;
    std::string reason;
    EXPECT_FALSE(ParseServerAnswer(c.text, {}, &answer, &reason)) << c.text;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.text << " -> " << reason;
  }
}

TEST(ServerAnswer, UnescapesNamesAndLabelValues) {
  ServerAnswer answer;
  std::string reason;
  ASSERT_TRUE(ParseServerAnswer(
      R"({"st\u0061tus":"success","data":{"result":[
        {"metric":{"__name__":"m","path":"C:\\x \"y\"\n\u00e9"},"value":[1,"2"]}]}})",
      {}, &answer, &reason))
      << reason;
  ASSERT_EQ(answer.series.size(), 1u);
  EXPECT_EQ(answer.series[0].Label("path"), "C:\\x \"y\"\n\xc3\xa9");
}

// One parser and one answer for every sample, as a collector uses them: each answer is read
// whole and alone, whatever the one before it held, and whether or not its buffer has room
// past its end.
TEST(ServerAnswer, AParserReusedReadsEachAnswerAlone) {
  const std::string wide =
      R"({"status":"success","data":{"resultType":"matrix","result":[
        {"metric":{"__name__":"a","x":"1","y":"2","z":"3"},"values":[[1,"1"],[2,"2"]]},
        {"metric":{"__name__":"b"},"values":[[1,"3"]]},
        {"metric":{"__name__":"c"},"values":[[1,"4"]]}]}})";
  const std::string narrow =
      R"({"status":"success","data":{"resultType":"vector","result":[
        {"metric":{"__name__":"d","w":"9"},"value":[5,"6"]}]}})";
  AnswerParser parser(1u << 20);
  ServerAnswer answer;
  std::string reason;
  for (const bool padded : {false, true}) {
    SCOPED_TRACE(padded ? "padded" : "copied");
    // Room past the end filled with what would change the answer if it were read.
    std::string buffer = narrow + std::string(kAnswerPadding, '}');
    const std::string_view text(buffer.data(), narrow.size());
    ASSERT_TRUE(parser.Parse(wide, wide.size(), {}, &answer, &reason)) << reason;
    ASSERT_EQ(answer.series.size(), 3u);
    ASSERT_TRUE(parser.Parse(text, padded ? buffer.size() : text.size(), {}, &answer, &reason))
        << reason;
    EXPECT_EQ(answer.result_type, "vector");
    ASSERT_EQ(answer.series.size(), 1u);
    const std::vector<std::pair<std::string, std::string>> labels = {{"__name__", "d"}, {"w", "9"}};
    EXPECT_EQ(answer.series[0].labels, labels);
    ASSERT_EQ(answer.series[0].samples.size(), 1u);
    EXPECT_EQ(answer.series[0].samples[0].time, 5);
    EXPECT_EQ(answer.series[0].samples[0].value, 6);
    // A bad answer leaves no series of the good one before it.
    EXPECT_FALSE(parser.Parse(wide.substr(0, 120), 120, {}, &answer, &reason));
    EXPECT_TRUE(answer.series.empty());
  }
  AnswerParser small(64);
  EXPECT_FALSE(small.Parse(wide, wide.size(), {}, &answer, &reason));
  EXPECT_EQ(reason, "answer larger than 64 bytes");
}

TEST(ServerAnswer, StopsAtTheSeriesAndSampleLimits) {
  std::string many = R"({"status":"success","data":{"resultType":"vector","result":[)";
  for (int i = 0; i < 1000; ++i)
    many += std::string(i > 0 ? "," : "") + R"({"metric":{},"value":[1,"1"]})";
  many += "]}}";
  ServerAnswer answer;
  std::string reason;
  AnswerLimits limits;
  limits.max_series = 999;
  EXPECT_FALSE(ParseServerAnswer(many, limits, &answer, &reason));
  EXPECT_EQ(reason, "more than 999 series");
  EXPECT_TRUE(answer.series.empty());
  limits.max_series = 1000;
  limits.max_samples = 10;
  EXPECT_FALSE(ParseServerAnswer(many, limits, &answer, &reason));
  EXPECT_EQ(reason, "more than 10 samples");
  limits.max_samples = 1000;
  EXPECT_TRUE(ParseServerAnswer(many, limits, &answer, &reason)) << reason;
  EXPECT_EQ(answer.series.size(), 1000u);
}

TEST(ServerSeries, SelectorMatchesExactlyTheNamedInstances) {
  const std::vector<std::string> metrics = {"up", "node_cpu_seconds_total"};
  const std::vector<std::string> instances = {"10.0.0.1:9100", "web-03:9100", "a\"b"};
  EXPECT_EQ(
      SeriesSelector(metrics, instances),
      R"({__name__=~"up|node_cpu_seconds_total",instance=~"10\\.0\\.0\\.1:9100|web-03:9100|a\"b"})");
  EXPECT_EQ(InstanceOfMachine("\\\\web-03:9100"), "web-03:9100");
}

TEST(ServerSeries, WritesEachInstancesSeriesAsAnExporterPage) {
  ServerAnswer answer;
  std::string reason;
  ASSERT_TRUE(ParseServerAnswer(
      R"({"status":"success","data":{"resultType":"matrix","result":[
        {"metric":{"__name__":"node_cpu_seconds_total","cpu":"1","mode":"idle","instance":"a","job":"node"},"values":[[10,"5"],[11,"6"]]},
        {"metric":{"__name__":"up","instance":"a","job":"node"},"values":[[10,"1"],[11,"0"]]},
        {"metric":{"__name__":"node_load1","instance":"b"},"values":[[11,"NaN"]]},
        {"metric":{"instance":"a","job":"node","corvane_scrape":"time"},"values":[[10,"9.5"],[11,"10.5"]]},
        {"metric":{"__name__":"node_cpu_seconds_total","cpu":"0","mode":"idle","instance":"a","path":"x\"y\\z"},"values":[[10,"3"],[11,"4"]]}]}})",
      {}, &answer, &reason))
      << reason;
  const auto last = SeriesByInstance(answer);
  ASSERT_EQ(last.size(), 2u);
  const InstanceSeries& a = last.at("a");
  EXPECT_EQ(a.series, 2);
  EXPECT_TRUE(a.has_up);
  EXPECT_EQ(a.up, 0);
  EXPECT_EQ(a.job, "node");
  // The scrape's time from timestamp(up), not the time the query stamps on every value.
  EXPECT_EQ(a.time, 10.5);
  EXPECT_EQ(a.scrape_time, 10.5);
  EXPECT_EQ(PageText(a),
            "node_cpu_seconds_total{cpu=\"0\",mode=\"idle\",path=\"x\\\"y\\\\z\"} 4\n"
            "node_cpu_seconds_total{cpu=\"1\",mode=\"idle\"} 6\n");
  // Written out and read back, or filled straight from the answer: the same page.
  ExporterPage written;
  ExporterPage filled;
  ASSERT_TRUE(written.Load(PageText(a)));
  ASSERT_TRUE(LoadPage(a, &filled));
  for (const ExporterPage* page : {&written, &filled}) {
    const auto cpu = page->Find("node_cpu_seconds_total");
    ASSERT_EQ(cpu.size(), 2u);
    EXPECT_EQ(page->LabelOf(cpu[0], "path"), "x\"y\\z");
    EXPECT_EQ(page->LabelOf(cpu[1], "cpu"), "1");
    EXPECT_EQ(page->LabelOf(cpu[0], "instance"), "");
    EXPECT_EQ(page->LabelsOf(cpu[1]).size(), 2u);
    EXPECT_EQ(cpu[1].value, 6);
    EXPECT_FALSE(page->Has("up"));
  }
  EXPECT_EQ(PageText(last.at("b")), "node_load1 NaN\n");
  EXPECT_EQ(last.at("b").time, 11);

  // A step of the range: the samples stamped with that time; "b" has none there.
  const auto first = SeriesByInstance(answer, 10.0);
  EXPECT_EQ(first.count("b"), 0u);
  EXPECT_EQ(first.at("a").up, 1);
  EXPECT_NE(PageText(first.at("a")).find("} 3\n"), std::string::npos);
}

}  // namespace
}  // namespace corvane::remote
