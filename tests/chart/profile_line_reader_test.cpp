#include "chart/profile_line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "profile_test_support.h"

namespace corvane::chart {
namespace {

using profile_testing::TempFolder;
using profile_testing::WriteBytes;

std::vector<std::string> Pieces(const TempFolder& folder, const std::string& bytes,
                                bool* failed = nullptr) {
  const auto path = folder / "lines.crvn";
  WriteBytes(path, bytes);
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  EXPECT_NE(stream, nullptr);
  std::vector<std::string> pieces;
  if (stream == nullptr) return pieces;
  ProfileLineReader reader(stream);
  std::string_view piece;
  while (reader.Next(&piece)) pieces.emplace_back(piece);
  if (failed != nullptr) *failed = reader.failed();
  std::fclose(stream);
  return pieces;
}

TEST(ProfileLineReaderTest, CutsLikeTextModeFgets) {
  const std::string x2046(2046, 'x');
  const std::string x2047(2047, 'x');
  const struct {
    const char* label;
    std::string bytes;
    std::vector<std::string> expected;
  } cases[] = {
      {"LF", "a\nb\n", {"a\n", "b\n"}},
      {"CR LF", "a\r\nb\r\n", {"a\n", "b\n"}},
      {"mixed", "a\r\nb\nc", {"a\n", "b\n", "c"}},
      {"lone CR stays", "a\rb\n", {"a\rb\n"}},
      {"CR at the end", "a\r", {"a\r"}},
      {"CR CR LF", "a\r\r\n", {"a\r\n"}},
      {"empty lines", "\n\r\n", {"\n", "\n"}},
      {"NUL passes", std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
      {"full piece with LF", x2046 + "\r\n", {x2046 + "\n"}},
      {"LF does not fit", x2047 + "\n", {x2047, "\n"}},
      {"long line in pieces",
       std::string(5000, 'y'),
       {std::string(2047, 'y'), std::string(2047, 'y'), std::string(906, 'y')}},
      {"empty file", "", {}},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    EXPECT_EQ(Pieces(folder, c.bytes), c.expected) << c.label;
  }
}

TEST(ProfileLineReaderTest, JoinsCrLfAcrossTheReadBuffer) {
  // 65535 bytes then CR LF: the pair straddles the reader's 64 KiB chunks.
  TempFolder folder;
  const auto pieces = Pieces(folder, std::string(65535, 'a') + "\r\nb\r\n");
  ASSERT_EQ(pieces.size(), 34U);
  EXPECT_EQ(pieces[32], std::string(65535 - 32 * 2047, 'a') + "\n");
  EXPECT_EQ(pieces[33], "b\n");
}

TEST(ProfileLineReaderTest, ReportsAReadErrorApartFromTheEnd) {
  TempFolder folder;
  std::FILE* stream = std::fopen(folder.path().c_str(), "rb");  // a folder opens, but not reads
  ASSERT_NE(stream, nullptr);
  ProfileLineReader reader(stream);
  std::string_view piece;
  EXPECT_FALSE(reader.Next(&piece));
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(reader.errno_value(), EISDIR);
  std::fclose(stream);
}

}  // namespace
}  // namespace corvane::chart
