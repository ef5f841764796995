// Recorded moments for the browser's slider, from a real CSV log in a temporary folder: the
// range runs to the live sample, a moment shows its row's values, rows written after the log
// was opened are found, and a moment before the log is refused.
#include "service/recorded_rose.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "core/recording/local_seconds.h"
#include "platform/fake/fake_provider.h"
#include "tests/support/temp_folder.h"

namespace corvane::service {
namespace {

constexpr std::int64_t kStart = 1796896800;  // 2026-12-10 10:00:00 on the recording's line

std::string Row(std::int64_t time, int load) {
  const std::string stamp = recording::FormatLocalSeconds(time);  // "2026-12-10 10:00:00"
  return stamp.substr(5, 2) + "/" + stamp.substr(8, 2) + "," + stamp.substr(11) + "," +
         std::to_string(load) + ".00,50.00\n";
}

class RecordedRoseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream out(log_);
    out << "Corvane Log: Night\n\nStarted on Thursday 12/10/2026 at 10:00:00\n"
           "Date,Time,Load,Free\n";
    for (int k = 0; k < 5; ++k) out << Row(kStart + k, 10 + k);
  }
  void Append(std::int64_t time, int load) {
    std::ofstream(log_, std::ios::app) << Row(time, load);
  }
  RecordedRose::Picture Draw(RecordedRose& rose, std::int64_t time) {
    RecordedRose::Picture picture;
    std::string error;
    EXPECT_TRUE(rose.Draw(time, 200, 200, RosePicture::RenderSvg, &picture, &error)) << error;
    return picture;
  }

  test_support::TempFolder folder_;
  std::string log_ = (folder_.path() / "Night-log.csv").string();
  RecordedRose rose_{[] { return std::make_unique<fake::FakeProvider>(); }, log_, ""};
};

TEST_F(RecordedRoseTest, AMomentShowsItsRowAndTheRangeRunsToTheLiveSample) {
  std::string error;
  const std::optional<LogRange> range = rose_.Range(kStart + 60, &error);
  ASSERT_TRUE(range) << error;
  EXPECT_EQ(range->start, kStart);
  EXPECT_EQ(range->end, kStart + 60);

  const RecordedRose::Picture picture = Draw(rose_, kStart + 2);
  ASSERT_EQ(picture.rows.size(), 2u);
  EXPECT_EQ(picture.rows[0].name, "Load");
  EXPECT_EQ(picture.rows[0].current, "12.00");
  EXPECT_EQ(picture.rows[0].maximum, "12.00");
  EXPECT_EQ(picture.time, kStart + 2);
  EXPECT_NE(picture.image.find("<svg"), std::string::npos);
  EXPECT_EQ(picture.note, "Recorded 2026-12-10 10:00:02");
}

TEST_F(RecordedRoseTest, RowsWrittenAfterTheLogWasOpenedAreFoundAndLaterTimesShowTheLastRow) {
  Draw(rose_, kStart + 1);  // opened and read to its end
  Append(kStart + 30, 77);
  EXPECT_EQ(Draw(rose_, kStart + 30).rows[0].current, "77.00");
  const RecordedRose::Picture later = Draw(rose_, kStart + 500);
  EXPECT_EQ(later.rows[0].current, "77.00");
  EXPECT_EQ(later.time, kStart + 30);
  EXPECT_EQ(Draw(rose_, kStart + 10).rows[0].current, "14.00") << "the row in force at 10:00:10";
}

TEST_F(RecordedRoseTest, AMomentBeforeTheLogOrAMissingLogIsRefusedWithItsReason) {
  RecordedRose::Picture picture;
  std::string error;
  EXPECT_FALSE(rose_.Draw(kStart - 1, 200, 200, RosePicture::RenderSvg, &picture, &error));
  EXPECT_NE(error.find("before the log"), std::string::npos) << error;

  RecordedRose missing([] { return std::make_unique<fake::FakeProvider>(); },
                       (folder_.path() / "none.csv").string(), "");
  error.clear();
  EXPECT_FALSE(missing.Range(kStart, &error));
  EXPECT_NE(error.find("none.csv"), std::string::npos) << error;
}

TEST(RecordedRoseMoment, IsLocalSecondsOrTheLogsOwnTimeText) {
  const struct {
    std::string_view text;
    std::optional<std::int64_t> seconds;
  } cases[] = {
      {"1796896800", kStart},     {"2026-12-10 10:00:00", kStart}, {"", std::nullopt},
      {"12x", std::nullopt},      {"2026-12-10", std::nullopt},    {"-5", -5},
      {"10:00:00", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RecordedRose::ParseMoment(c.text), c.seconds) << c.text;
}

}  // namespace
}  // namespace corvane::service
