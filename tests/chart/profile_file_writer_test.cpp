#include "chart/profile_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <limits>
#include <random>
#include <set>
#include <string>

#include "profile_test_support.h"

namespace corvane::chart {
namespace {

namespace fs = std::filesystem;
using profile_testing::ReadBytes;
using profile_testing::TempFolder;
using profile_testing::WriteBytes;

// Writes through `write` into a fresh file and returns its bytes.
template <typename Write>
std::string Written(const TempFolder& folder, Write write) {
  const fs::path path = folder / "out.crvn";
  ProfileFileWriter writer;
  EXPECT_TRUE(writer.Open(path)) << writer.error();
  write(writer);
  EXPECT_TRUE(writer.Commit()) << writer.error();
  return ReadBytes(path);
}

std::string CFormat(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

TEST(ProfileFileWriterTest, WritesCrLfLinesInTheFileFormats) {
  TempFolder folder;
  const std::string bytes = Written(folder, [](ProfileFileWriter& w) {
    w.WriteLine("");
    w.WriteLine("BeginAxis");
    w.WriteInteger("GridStep", 20);
    w.WriteInteger("LogFileSize", -5);
    w.WriteInteger("Min", std::numeric_limits<std::int32_t>::min());
    w.WriteText("Name", "% CPU");
    w.WriteText("Desc", "");
    w.WriteText("Name",
                "Plattenplatz \xC3\xBC"
                "brig");
    w.WriteReal("MaxValue", 100.0);
    w.WriteReal("Multiplier", 0.5);
    w.WriteReal("MinValue", 0.0000004);
    w.WriteReal("MinValue", -0.0000004);
  });
  EXPECT_EQ(bytes,
            "\r\nBeginAxis\r\nGridStep=20\r\nLogFileSize=-5\r\nMin=-2147483648\r\n"
            "Name=% CPU\r\nDesc=\r\nName=Plattenplatz \xC3\xBC"
            "brig\r\n"
            "MaxValue=100.000000\r\nMultiplier=0.500000\r\nMinValue=0.000000\r\n"
            "MinValue=-0.000000\r\n");
}

TEST(ProfileFileWriterTest, RealsMatchTheCLibrarysPercentF) {
  std::mt19937_64 random(20240611);
  std::vector<double> values = {0.0,
                                -0.0,
                                1e-7,
                                0.5e-6,
                                1.5e-6,
                                2.5,
                                1e15,
                                1e22,
                                123456.0000005,
                                std::numeric_limits<double>::max(),
                                -std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::denorm_min()};
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-9, 18);
  for (int i = 0; i < 2000; ++i)
    values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  TempFolder folder;
  const std::string bytes = Written(folder, [&](ProfileFileWriter& w) {
    for (double v : values) w.WriteReal("V", v);
  });
  std::string expected;
  for (double v : values) expected += "V=" + CFormat(v) + "\r\n";
  EXPECT_EQ(bytes, expected);
}

TEST(ProfileFileWriterTest, KeepsEveryTextOnItsOwnLine) {
  TempFolder folder;
  // "\xE2\x82\xAC" (the euro sign) straddles the cut: it goes whole, not in half.
  const std::string long_text = std::string(2040, 'x') + "\xE2\x82\xAC" + "tail";
  const std::string bytes = Written(folder, [&](ProfileFileWriter& w) {
    w.WriteText("Name", std::string("a\nGridStep=5\rb\0c", 16));
    w.WriteText("Desc", long_text);
    w.WriteText("Name", std::string(2041, 'y'));  // exactly the longest line kept whole
  });
  EXPECT_EQ(bytes, "Name=a GridStep=5 b c\r\nDesc=" + std::string(2040, 'x') +
                       "\r\nName=" + std::string(2041, 'y') + "\r\n");
}

TEST(ProfileFileWriterTest, ReplacesTheOldFileKeepingItsModeAndNoTemporaryFile) {
  TempFolder folder;
  const fs::path path = folder / "p.crvn";
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  {
    ProfileFileWriter writer;
    ASSERT_TRUE(writer.Open(path)) << writer.error();
    writer.WriteLine("new");
    EXPECT_EQ(ReadBytes(path), "old");  // untouched until the commit
    ASSERT_TRUE(writer.Commit()) << writer.error();
  }
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640U);
  EXPECT_EQ(folder.Names(), std::set<std::string>{"p.crvn"});
}

TEST(ProfileFileWriterTest, AnUncommittedWriterLeavesTheOldFile) {
  // The unnamed new file never shows in the folder; the named one only while it is written.
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporary file" : "unnamed temporary file");
    files::AtomicFile::ForceNamedTemporaries(named);
    TempFolder folder;
    const fs::path path = folder / "p.crvn";
    WriteBytes(path, "old");
    {
      ProfileFileWriter writer;
      ASSERT_TRUE(writer.Open(path));
      writer.WriteLine(std::string(200000, 'z'));  // large enough to reach the temporary file
      EXPECT_EQ(folder.Names().size(), named ? 2U : 1U);
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"p.crvn"});
  }
  files::AtomicFile::ForceNamedTemporaries(false);
}

TEST(ProfileFileWriterTest, OpenFailuresNameTheFileAndReason) {
  TempFolder folder;
  fs::create_directory(folder / "dir");
  fs::create_symlink("loop", folder / "loop");
  const struct {
    fs::path path;
    std::string reason;
  } cases[] = {
      {folder / "missing" / "p.crvn", "No such file or directory"},
      {folder / "dir", "Is a directory"},
      {folder / "loop", "Too many levels of symbolic links"},
      {"", "No such file or directory"},
  };
  for (const auto& c : cases) {
    ProfileFileWriter writer;
    EXPECT_FALSE(writer.Open(c.path)) << c.path;
    EXPECT_NE(writer.error().find(c.reason), std::string::npos) << writer.error();
    EXPECT_NE(writer.error().find(c.path.string()), std::string::npos) << writer.error();
    EXPECT_FALSE(writer.WriteLine("x"));
    EXPECT_FALSE(writer.Commit());
  }
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"dir", "loop"}));
}

TEST(ProfileFileWriterTest, ASymbolicLinkKeepsPointingAtTheReplacedFile) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "p.crvn", "old");
  fs::create_symlink("real/p.crvn", folder / "relative.crvn");
  fs::create_symlink(folder / "relative.crvn", folder / "chain.crvn");
  fs::create_symlink("real/new.crvn", folder / "dangling.crvn");
  for (const char* link : {"relative.crvn", "chain.crvn", "dangling.crvn"}) {
    ProfileFileWriter writer;
    ASSERT_TRUE(writer.Open(folder / link)) << writer.error();
    writer.WriteLine(link);
    ASSERT_TRUE(writer.Commit()) << writer.error();
    EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
    EXPECT_EQ(ReadBytes(folder / link), std::string(link) + "\r\n");
  }
  EXPECT_EQ(ReadBytes(folder / "real" / "p.crvn"), "chain.crvn\r\n");
  EXPECT_EQ(ReadBytes(folder / "real" / "new.crvn"), "dangling.crvn\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "real"), fs::directory_iterator()), 2);
}

TEST(ProfileFileWriterTest, AReadOnlyFolderOrFileRefusesTheSave) {
  const struct {
    const char* label;
    mode_t folder_mode;
    mode_t file_mode;
  } cases[] = {
      {"read-only folder", 0555, 0666},
      {"read-only file in a writable folder", 0777, 0444},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder folder;
    const fs::path path = folder / "p.crvn";
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), c.file_mode), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), c.folder_mode), 0);
    const auto refused = [&] {
      ProfileFileWriter writer;
      return !writer.Open(path) && writer.error().find("Permission denied") != std::string::npos;
    };
    if (::geteuid() == 0) {
      // Root writes anywhere; the check runs as "nobody" in a child process.
      EXPECT_EXIT(
          {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(2);
            std::_Exit(refused() ? 0 : 1);
          },
          ::testing::ExitedWithCode(0), "");
    } else {
      EXPECT_TRUE(refused());
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"p.crvn"});
  }
}

}  // namespace
}  // namespace corvane::chart
