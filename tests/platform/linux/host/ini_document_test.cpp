#include "platform/linux/host/ini_document.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::host {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}

// Every value written must read back byte for byte, whatever it holds.
TEST(IniDocument, ValuesSurviveARoundTrip) {
  const std::string values[] = {
      "",
      "/home/ann/MyProfile.crvn",
      "C:\\Program Files\\Corvane\\corvscreen.scr",
      "two\nlines\r\n",
      " leading and trailing ",
      "\ttabs\t",
      "a=b=c",
      "[not a section]",
      "; not a comment",
      "\\n is not a line feed",
      "\\x41 is not an A",
      "ends in a backslash\\",
      std::string("nul\0inside", 10),
      "UTF-8: Zürich — 東京",
      AllBytes(),
  };
  for (const std::string& value : values) {
    IniDocument doc;
    doc.SetValue("Software\\Quillfen\\Corvane", "Value", value);
    const std::string text = doc.Serialize();
    const auto read = IniDocument::Parse(text).Value("Software\\Quillfen\\Corvane", "Value");
    ASSERT_TRUE(read.has_value()) << text;
    EXPECT_EQ(*read, value) << text;
    // One value, one line: nothing in it may start a line of its own.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
  }
}

TEST(IniDocument, ValueNamesSurviveARoundTrip) {
  for (const std::string name : {"", "@", "=", "a=b", "[x]", ";x", "#x", " x ", "back\\slash",
                                 "File1", "SCRNSAVE.EXE", "line\nfeed"}) {
    IniDocument doc;
    doc.SetValue("K", name, "v-" + name);
    doc.SetValue("K", "other", "o");
    const IniDocument read = IniDocument::Parse(doc.Serialize());
    EXPECT_EQ(read.Value("K", name), "v-" + name) << doc.Serialize();
    EXPECT_EQ(read.Value("K", "other"), "o") << doc.Serialize();
  }
}

TEST(IniDocument, EscapesOnlyWhatALineCannotHold) {
  EXPECT_EQ(EscapeIniValue("/home/ann/a b.crvn"), "/home/ann/a b.crvn");
  EXPECT_EQ(EscapeIniValue("C:\\x"), "C:\\\\x");
  EXPECT_EQ(EscapeIniValue("a\nb\tc\rd"), "a\\nb\\tc\\rd");
  EXPECT_EQ(EscapeIniValue(" a "), "\\x20a\\x20");
  EXPECT_EQ(EscapeIniValue(std::string("\x01\x7f", 2)), "\\x01\\x7F");
  EXPECT_EQ(EscapeIniName(""), "@");
  EXPECT_EQ(EscapeIniName("a=b"), "a\\x3Db");
  EXPECT_EQ(EscapeIniName("[a"), "\\x5Ba");
}

TEST(IniDocument, ReadsHandWrittenFiles) {
  const IniDocument doc = IniDocument::Parse(
      "; written by hand\r\n"
      "[Software\\Quillfen\\Corvane\\Screen Saver]\r\n"
      "  AreaSize = 50  \r\n"
      "Profile=C:\\Users\\ann\\x.crvn\r\n"
      "this line means nothing\r\n"
      "# a comment = with an equals sign\r\n");
  EXPECT_EQ(doc.Value("Software\\Quillfen\\Corvane\\Screen Saver", "AreaSize"), "50");
  // A backslash that starts no escape stands for itself.
  EXPECT_EQ(doc.Value("Software\\Quillfen\\Corvane\\Screen Saver", "Profile"),
            "C:\\Users\\ann\\x.crvn");
  EXPECT_FALSE(doc.Value("Software\\Quillfen\\Corvane\\Screen Saver", "# a comment").has_value());
}

TEST(IniDocument, KeepsCommentsAndUnknownLinesWhenRewritten) {
  IniDocument doc = IniDocument::Parse(
      "; top comment\n"
      "[A]\n"
      "# keep me\n"
      "x=1\n"
      "garbage line\n"
      "\n"
      "[B]\n"
      "y=2\n");
  doc.SetValue("A", "z", "3");
  doc.DeleteValue("B", "y");
  EXPECT_EQ(doc.Serialize(),
            "; top comment\n"
            "[A]\n"
            "# keep me\n"
            "x=1\n"
            "garbage line\n"
            "z=3\n"
            "\n"
            "[B]\n");
}

TEST(IniDocument, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  IniDocument doc;
  doc.SetValue("Software\\Quillfen", "NewFileNum", "1");
  doc.SetValue("SOFTWARE\\quillfen", "newfilenum", "2");
  EXPECT_EQ(doc.Value("software\\QUILLFEN", "NEWFILENUM"), "2");
  EXPECT_EQ(doc.Serialize(), "[Software\\Quillfen]\nNewFileNum=2\n");
}

TEST(IniDocument, AKeyExistsThroughItsOwnSectionOrOneBelow) {
  IniDocument doc = IniDocument::Parse("[Software\\Quillfen\\Corvane\\Service]\n");
  EXPECT_TRUE(doc.HasKey(""));
  EXPECT_TRUE(doc.HasKey("Software"));
  EXPECT_TRUE(doc.HasKey("software\\quillfen"));
  EXPECT_TRUE(doc.HasKey("Software\\Quillfen\\Corvane\\Service"));
  EXPECT_FALSE(doc.HasKey("Soft"));
  EXPECT_FALSE(doc.HasKey("Software\\Quillfen\\Corvane\\Serv"));
  EXPECT_FALSE(doc.HasKey("Software\\Quillfen\\Corvane\\Service\\Deeper"));
  // A value needs the key's own section; an ancestor holds none of its children's values.
  EXPECT_FALSE(doc.Value("Software", "Profile").has_value());
}

TEST(IniDocument, NewSectionsArePartedByABlankLine) {
  IniDocument doc;
  doc.CreateKey("A");
  doc.SetValue("A", "x", "1");
  doc.CreateKey("B");
  doc.CreateKey("B");
  EXPECT_EQ(doc.Serialize(), "[A]\nx=1\n\n[B]\n");
}

TEST(IniDocument, DeleteValueTellsWhetherThereWasOne) {
  IniDocument doc;
  doc.SetValue("A", "x", "1");
  EXPECT_FALSE(doc.DeleteValue("A", "y"));
  EXPECT_FALSE(doc.DeleteValue("B", "x"));
  EXPECT_TRUE(doc.DeleteValue("A", "X"));
  EXPECT_FALSE(doc.Value("A", "x").has_value());
  EXPECT_TRUE(doc.HasKey("A")) << "deleting the last value keeps the key";
}

TEST(NormalizeKeyPath, AcceptsRegistryPathsOnly) {
  struct Case {
    std::string in;
    std::optional<std::string> out;
  };
  const Case cases[] = {
      {"Software\\Quillfen", "Software\\Quillfen"},
      {"\\Software\\Quillfen\\", "Software\\Quillfen"},
      {"", ""},
      {"\\", ""},
      {"Control Panel\\Desktop", "Control Panel\\Desktop"},
      {"a]b", "a]b"},
      {"A\\\\B", std::nullopt},
      {"A\nB", std::nullopt},
      {std::string("A\0B", 3), std::nullopt},
      {"A\x7f", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizeKeyPath(c.in), c.out) << c.in;
}

TEST(IniDocument, SectionNamesMayHoldClosingBrackets) {
  IniDocument doc;
  doc.SetValue("a]b", "x", "1");
  EXPECT_EQ(IniDocument::Parse(doc.Serialize()).Value("a]b", "x"), "1");
}

}  // namespace
}  // namespace corvane::host
