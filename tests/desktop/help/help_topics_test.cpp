// The help context table with its base arithmetic, the quoted page argument and the lookup of
// the Help folder in a build tree and an installed tree.
#include "desktop/help/help_topics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "tests/support/temp_folder.h"

namespace corvane::desktop {
namespace {

struct ContextCase {
  const char* name;
  std::uint32_t context;  // as the framework sends it
  std::string_view page;
  std::string_view anchor;
  // Test names and failure messages show the case by its name.
  friend void PrintTo(const ContextCase& c, std::ostream* os) { *os << c.name; }
};

class HelpTopicTest : public ::testing::TestWithParam<ContextCase> {};

TEST_P(HelpTopicTest, ContextChoosesPageAndAnchor) {
  const ContextCase& c = GetParam();
  EXPECT_EQ(HelpTopicFor(c.context), (HelpTopic{c.page, c.anchor}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, HelpTopicTest,
    ::testing::Values(ContextCase{"Wizard", DialogHelpContext(106), "useit.html", "#new"},
                      ContextCase{"Counters", DialogHelpContext(130), "useit.html", "#modify"},
                      ContextCase{"RemoteHost", DialogHelpContext(132), "useit.html", "#remote"},
                      ContextCase{"Preferences", DialogHelpContext(133), "useit.html", "#options"},
                      ContextCase{"LogSettings", DialogHelpContext(146), "log.html", "#config"},
                      ContextCase{"ConnectionFailedMessage", MessageHelpContext(200),
                                  "troubles.html", "#confail"},
                      // The connection page through a dialog's base lands on the same page.
                      ContextCase{"ConnectionFailedDialogBase", DialogHelpContext(200),
                                  "troubles.html", "#confail"},
                      ContextCase{"WizardThroughMessageBase", MessageHelpContext(106), "useit.html",
                                  "#new"},
                      ContextCase{"ContentsSendsZero", 0, "help.html", ""},
                      ContextCase{"BareWizardIdIsNoRow", 106, "help.html", ""},
                      ContextCase{"DialogWithoutPage", DialogHelpContext(151), "help.html", ""},
                      ContextCase{"MessageWithoutPage", MessageHelpContext(61213), "help.html", ""},
                      ContextCase{"LargestContext", 0xFFFFFFFFu, "help.html", ""}),
    [](const ::testing::TestParamInfo<ContextCase>& info) { return info.param.name; });

TEST(ReduceHelpContextTest, RemovesTheBaseInUnsigned32BitArithmetic) {
  struct Case {
    std::uint32_t context, reduced;
  };
  const Case cases[] = {
      {0x20000u + 146, 146},   {0x30000u + 200, 200},
      {0x30000u, 0x10000u},  // exactly 0x10000 more than the base: not above it
      {0x30001u, 1},         // just above: the second subtraction
      {0x20000u, 0},           {0, 0xFFFD0000u},  // wraps, then is above 0x10000
      {0x1FFFFu, 0xFFFEFFFFu}, {0xFFFFFFFFu, 0xFFFCFFFFu},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReduceHelpContext(c.context), c.reduced) << std::hex << c.context;
}

TEST(HelpTopicIdTest, ATopicOpensItsPageAsItsButtonsNumberDoes) {
  // Asked by topic (a dialog's Help button) or by the number the framework form sends with its
  // base: the same page. The contents and a number without a page open the start page.
  struct Case {
    HelpTopicId id;
    const char* page;
    const char* anchor;
  };
  for (const Case& c : {Case{HelpTopicId::kContents, "help.html", ""},
                        Case{HelpTopicId::kWizard, "useit.html", "#new"},
                        Case{HelpTopicId::kCounters, "useit.html", "#modify"},
                        Case{HelpTopicId::kRemoteHost, "useit.html", "#remote"},
                        Case{HelpTopicId::kPreferences, "useit.html", "#options"},
                        Case{HelpTopicId::kLogSettings, "log.html", "#config"},
                        Case{HelpTopicId::kConnectionFailed, "troubles.html", "#confail"},
                        Case{static_cast<HelpTopicId>(151), "help.html", ""}}) {
    const std::uint32_t number = ContextNumber(c.id);
    EXPECT_EQ(HelpTopicFor(c.id), (HelpTopic{c.page, c.anchor})) << number;
    if (c.id != HelpTopicId::kContents) {
      EXPECT_EQ(HelpTopicFor(DialogHelpContext(number)), HelpTopicFor(c.id)) << number;
    }
  }
}

TEST(HelpTableTest, RowsAreDistinct) {
  const auto table = HelpTable();
  ASSERT_EQ(table.size(), 6u);
  for (std::size_t i = 0; i < table.size(); ++i)
    for (std::size_t j = i + 1; j < table.size(); ++j)
      EXPECT_NE(table[i].context, table[j].context);
}

TEST(BuildHelpArgumentTest, QuotedFileUrlWithAnchorAndForwardSlashes) {
  struct Case {
    const char* path;
    const char* anchor;
    const char* argument;
  };
  const Case cases[] = {
      {"/opt/My Tools/Corvane/Help/useit.html", "#remote",
       "\"file:///opt/My Tools/Corvane/Help/useit.html#remote\""},
      {"/usr/share/corvane/Help/help.html", "", "\"file:///usr/share/corvane/Help/help.html\""},
      {"C:\\Program Files\\Corvane\\Help\\useit.html", "#remote",
       "\"file:///C:/Program Files/Corvane/Help/useit.html#remote\""},
      {"/home/ann/odd\\name/Help/log.html", "#config",
       "\"file:///home/ann/odd/name/Help/log.html#config\""},
  };
  for (const Case& c : cases) {
    const std::string argument = BuildHelpArgument(c.path, c.anchor);
    EXPECT_EQ(argument, c.argument);
    EXPECT_EQ(argument.find('\\'), std::string::npos) << argument;
  }
}

TEST(FindHelpFolderTest, BesideTheProgramThenInstalledThenBeside) {
  namespace fs = std::filesystem;
  test_support::TempFolder tree;
  const fs::path bin = tree / "prefix/bin";
  fs::create_directories(bin);

  // Neither: the folder beside the program, so a message names it.
  EXPECT_EQ(FindHelpFolder(bin), bin / "Help");

  fs::create_directories(tree / "prefix/share/corvane/Help");
  EXPECT_EQ(FindHelpFolder(bin), tree / "prefix/share/corvane/Help");

  // A build tree's copy beside the program wins over an installed one.
  fs::create_directories(bin / "Help");
  EXPECT_EQ(FindHelpFolder(bin), bin / "Help");

  // A file named Help beside the program is not the folder.
  const fs::path other = tree / "other/bin";
  fs::create_directories(other);
  fs::create_directories(tree / "other/share/corvane/Help");
  { std::ofstream(other / "Help") << "not a folder"; }
  EXPECT_EQ(FindHelpFolder(other), tree / "other/share/corvane/Help");
}

}  // namespace
}  // namespace corvane::desktop
