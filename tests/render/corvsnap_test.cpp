// corvsnap: its command line, and whole runs over the scripted provider writing real files in
// a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/render/temp_folder.h"
#include "tools/corvsnap/snap_options.h"
#include "tools/corvsnap/snap_tool.h"
#include "tools/corvsnap/snapshot.h"

namespace corvane::corvsnap {
namespace {

using render_test::TempFolder;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SnapOptions, SoundCommandLines) {
  struct Case {
    std::vector<std::string_view> args;
    bool default_counters;
    ImageFormat format;
    int seconds;
    int width;
    int height;
  };
  const Case cases[] = {
      {{"-", "rose.svg"}, true, ImageFormat::kSvg, 5, 800, 600},
      {{"p.crvn", "out/Rose.PNG"}, false, ImageFormat::kPng, 5, 800, 600},
      {{"p.crvn", "rose", "--seconds", "0", "--size", "320x240"},
       false,
       ImageFormat::kSvg,
       0,
       320,
       240},
      {{"--size", "16384X1", "--seconds", "86400", "p.crvn", "r.png"},
       false,
       ImageFormat::kPng,
       86400,
       16384,
       1},
  };
  for (const Case& c : cases) {
    const ParsedOptions parsed = ParseSnapOptions(c.args);
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    const SnapOptions& options = *parsed.options;
    EXPECT_EQ(!options.profile.has_value(), c.default_counters);
    EXPECT_EQ(options.format, c.format);
    EXPECT_EQ(options.seconds, c.seconds);
    EXPECT_EQ(options.width, c.width);
    EXPECT_EQ(options.height, c.height);
  }
  EXPECT_EQ(ParseSnapOptions({"p.crvn", "r.svg"}).options->profile,
            std::filesystem::path("p.crvn"));
  EXPECT_TRUE(ParseSnapOptions({"a", "--help"}).help);
}

TEST(SnapOptions, WrongCommandLinesSayWhy) {
  struct Case {
    std::vector<std::string_view> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "PROFILE and OUTPUT are needed"},
      {{"p.crvn"}, "PROFILE and OUTPUT are needed"},
      {{"p.crvn", "a.svg", "b.svg"}, "more than PROFILE and OUTPUT given"},
      {{"p.crvn", "a.svg", "--seconds"}, "--seconds needs a value"},
      {{"p.crvn", "a.svg", "--seconds", "-1"}, "--seconds: \"-1\" is not"},
      {{"p.crvn", "a.svg", "--seconds", "1.5"}, "--seconds: \"1.5\" is not"},
      {{"p.crvn", "a.svg", "--seconds", "86401"}, "--seconds: \"86401\" is not"},
      {{"p.crvn", "a.svg", "--size", "0x5"}, "--size: \"0x5\" is not WxH"},
      {{"p.crvn", "a.svg", "--size", "5x"}, "--size: \"5x\" is not WxH"},
      {{"p.crvn", "a.svg", "--size", "5x5x5"}, "--size: \"5x5x5\" is not WxH"},
      {{"p.crvn", "a.svg", "--size", "16385x5"}, "--size: \"16385x5\" is not WxH"},
      {{"p.crvn", "a.svg", "--colour"}, "unknown option \"--colour\""},
      {{"p.crvn", ""}, "OUTPUT is empty"},
  };
  for (const Case& c : cases) {
    const ParsedOptions parsed = ParseSnapOptions(c.args);
    EXPECT_FALSE(parsed.options.has_value()) << c.error;
    EXPECT_EQ(parsed.error.rfind(c.error, 0), 0U) << parsed.error;
  }
}

class SnapRun : public ::testing::Test {
 protected:
  // A profile with one counter ("\A\x", scripted to read 42), sampled every second, labels
  // in green, and an activity log written at every update.
  std::filesystem::path WriteProfile() {
    Corvane writer(provider_, false);
    writer.SetUpNewProfile();
    writer.RemoveAllAxes();
    EXPECT_TRUE(
        writer.AddAxis("Answer", "", false, 0.0, 100.0, 80.0, 1.0, new CounterItem("\\A\\x")));
    CorvaneSettings settings = writer.GetSettings();
    settings.Interval = 1;
    settings.TextColor = 0x00FF00;
    settings.LogMode = log_mode::kEveryUpdate;
    writer.SetSettings(settings);
    const std::filesystem::path path = folder_.path() / "answer.crvn";
    EXPECT_TRUE(writer.Save(path)) << writer.GetLastProfileError();
    return path;
  }

  int Run(std::vector<std::string_view> args) {
    return RunSnapTool(args, provider_, PngWriter(), out_, err_);
  }

  TempFolder folder_;
  fake::FakeProvider provider_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(SnapRun, SamplesTheProfileAndWritesItsRoseWithoutTouchingItsLog) {
  provider_.ScriptValue("\\A\\x", 42.0);
  const std::string profile = WriteProfile().string();
  const std::string output = (folder_.path() / "rose.svg").string();
  ASSERT_EQ(Run({profile, output, "--seconds", "1", "--size", "300x200"}), kExitOk) << err_.str();

  const std::string svg = ReadFile(output);
  EXPECT_NE(svg.find("width=\"300\" height=\"200\""), std::string::npos);
  EXPECT_NE(svg.find("<rect x=\"0\" y=\"0\" width=\"300\" height=\"200\" fill=\"#000000\"/>"),
            std::string::npos);
  // "Answer" is 7543 font units wide: 44 px at 12 px.
  EXPECT_NE(svg.find("fill=\"#00ff00\" textLength=\"44\">Answer</text>"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">42</text>"), std::string::npos) << svg;  // the average
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "Logs"));
  // Only the profile and the picture: no temporary file left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                          std::filesystem::directory_iterator()),
            2);
}

TEST_F(SnapRun, FailuresNameTheFileAndTheReason) {
  provider_.ScriptValue("\\A\\x", 1.0);
  const std::string profile = WriteProfile().string();
  const std::string missing = (folder_.path() / "missing.crvn").string();
  const std::string no_folder = (folder_.path() / "no" / "rose.svg").string();
  // Files that read as a profile without a single counter.
  const std::string empty = (folder_.path() / "empty.crvn").string();
  const std::string bare_crs = (folder_.path() / "crs.crvn").string();
  const std::string noise = (folder_.path() / "noise.crvn").string();
  std::ofstream(empty).flush();
  std::ofstream(bare_crs) << std::string(300, '\r');
  std::ofstream(noise, std::ios::binary) << std::string("\x89\x01\xfe\x00\x7fZ\xc3", 7);
  struct Case {
    std::vector<std::string_view> args;
    int exit_code;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {{missing, "rose.svg", "--seconds", "0"}, kExitFailure, {"cannot load profile", missing}},
      {{profile, no_folder, "--seconds", "0"},
       kExitFailure,
       {"cannot write", no_folder, "No such file or directory"}},
      {{profile, "rose.png", "--seconds", "0"}, kExitFailure, {"built without Qt"}},
      {{profile}, kExitUsage, {"PROFILE and OUTPUT are needed", "usage: corvsnap"}},
      {{empty, "rose.svg", "--seconds", "0"}, kExitFailure, {"the profile has no counters", empty}},
      {{bare_crs, "rose.svg", "--seconds", "0"}, kExitFailure, {"the profile has no counters"}},
      {{noise, "rose.svg", "--seconds", "0"}, kExitFailure, {"the profile has no counters"}},
  };
  for (const Case& c : cases) {
    err_.str("");
    EXPECT_EQ(Run(c.args), c.exit_code) << err_.str();
    for (const std::string& part : c.said) {
      EXPECT_NE(err_.str().find(part), std::string::npos) << err_.str();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "no"));
}

TEST_F(SnapRun, DefaultCountersNeedNoProfile) {
  const std::string output = (folder_.path() / "rose.svg").string();
  ASSERT_EQ(Run({"-", output, "--seconds", "0"}), kExitOk) << err_.str();
  const std::string svg = ReadFile(output);
  Corvane reference(provider_, false);
  reference.SetUpNewProfile();
  ASSERT_GT(reference.GetAxisCount(), 0);
  chart::Text name;
  ASSERT_TRUE(reference.GetAxisName(0, &name));
  EXPECT_NE(svg.find(std::string(*name)), std::string::npos) << svg;
}

TEST(SnapFiles, WritingReplacesTheWholeFile) {
  TempFolder folder;
  const std::filesystem::path path = folder.path() / "rose.svg";
  std::string error;
  ASSERT_TRUE(WritePicture(path, std::string(1000, 'x'), &error)) << error;
  ASSERT_TRUE(WritePicture(path, "short", &error)) << error;
  EXPECT_EQ(ReadFile(path), "short");
  EXPECT_FALSE(WritePicture(folder.path(), "x", &error));  // a folder is in the way
  EXPECT_NE(error.find("cannot write " + folder.path().string() + ": rename"), std::string::npos)
      << error;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace corvane::corvsnap
