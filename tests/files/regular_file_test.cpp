// Files that must be regular: a FIFO without a writer (whose open would wait for one), a
// device that never ends and a folder, given where a profile or log belongs, are refused with
// a message naming them, and nothing blocks.
#include "files/regular_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/log_file.h"
#include "core/recording/line_reader.h"
#include "tests/support/temp_folder.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

class RegularFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
    std::ofstream(regular_, std::ios::binary) << "GridStep=20\r\n";
  }

  TempFolder folder_;
  const fs::path fifo_ = folder_ / "fifo.crvn";
  const fs::path regular_ = folder_ / "p.crvn";
};

struct NotRegular {
  const char* label;
  fs::path path;
  std::string message;
};

std::vector<NotRegular> NotRegularFiles(const TempFolder& folder) {
  return {
      {"FIFO without a writer", folder / "fifo.crvn",
       (folder / "fifo.crvn").string() + " is not a regular file"},
      {"endless device", "/dev/zero", "/dev/zero is not a regular file"},
      {"folder", folder.path(), folder.path().string() + ": open: Is a directory"},
      {"missing", folder / "none", (folder / "none").string() + ": open: No such file"},
  };
}

TEST_F(RegularFileTest, ReadingRefusesWhatIsNoRegularFile) {
  for (const NotRegular& c : NotRegularFiles(folder_)) {
    SCOPED_TRACE(c.label);
    std::string bytes = "stale";
    std::string error;
    EXPECT_FALSE(ReadRegularFile(c.path, 1 << 20, &bytes, &error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_TRUE(bytes.empty());
  }
}

TEST_F(RegularFileTest, ReadsARegularFileWholeWithinItsLimit) {
  std::string bytes;
  std::string error;
  ASSERT_TRUE(ReadRegularFile(regular_, 13, &bytes, &error)) << error;
  EXPECT_EQ(bytes, "GridStep=20\r\n");

  EXPECT_FALSE(ReadRegularFile(regular_, 12, &bytes, &error));
  EXPECT_NE(error.find(regular_.string()), std::string::npos) << error;
  EXPECT_NE(error.find("larger than 12 bytes"), std::string::npos) << error;
  EXPECT_TRUE(bytes.empty());
}

TEST_F(RegularFileTest, ADescriptorOfARegularFileBlocksAsUsual) {
  std::string error;
  const int fd = OpenRegularFile(regular_, O_RDONLY, &error);
  ASSERT_GE(fd, 0) << error;
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  ::close(fd);
}

TEST_F(RegularFileTest, ALogInPlaceOfAFifoOrDeviceIsRefused) {
  // Rows written to a FIFO would wait for a reader that never comes, or reach one that is not
  // the log.
  const struct {
    const char* label;
    fs::path path;
    std::string message;
  } cases[] = {
      {"FIFO", fifo_, fifo_.string()},
      {"folder", folder_.path(), folder_.path().string()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    LogFile log;
    std::string error;
    EXPECT_EQ(log.Open(c.path.string(), &error), LogFile::OpenResult::kCannotOpen);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_FALSE(log.is_open());
  }
}

TEST_F(RegularFileTest, ALogReadBackMustBeARegularFile) {
  for (const NotRegular& c : NotRegularFiles(folder_)) {
    SCOPED_TRACE(c.label);
    recording::LineReader reader;
    std::string error;
    EXPECT_FALSE(reader.Open(c.path.string(), &error));
    EXPECT_NE(error.find(c.path.string()), std::string::npos) << error;
  }
  recording::LineReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(regular_.string(), &error)) << error;
  EXPECT_EQ(reader.size(), 13);
}

}  // namespace
}  // namespace corvane::files
