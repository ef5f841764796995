// The help operation: which page of which folder reaches the opener, the "Cannot read file: "
// messages, and the whole way to a desktop's own HTML handler with the anchor intact.
#include "desktop/help/help_operation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/help/help_topics.h"
#include "tests/desktop/help/help_test_support.h"

namespace corvane::desktop {
namespace {

namespace fs = std::filesystem;
using help_test::RecordingDesktop;
using help_test::RecordingOpener;
using help_test::ScopedEnv;
using help_test::TempFolder;
using help_test::WriteFile;

// A program folder with a space in its name and a Help folder holding the given pages.
class HelpFolderTest : public ::testing::Test {
 protected:
  HelpFolderTest() { fs::create_directories(program_); }
  void AddPages(std::initializer_list<const char*> pages) {
    fs::create_directories(program_ / "Help");
    for (const char* page : pages) WriteFile((program_ / "Help" / page).string(), "<html/>");
  }
  TempFolder tree_;
  const fs::path program_ = tree_ / "My Tools/Corvane";
};

TEST_F(HelpFolderTest, EveryContextOpensItsPageAndAnchor) {
  AddPages({"help.html", "useit.html", "log.html", "troubles.html"});
  struct Case {
    std::uint32_t context;
    const char* page;
    const char* fragment;
  };
  const Case cases[] = {
      {DialogHelpContext(106), "useit.html", "new"},
      {DialogHelpContext(130), "useit.html", "modify"},
      {DialogHelpContext(132), "useit.html", "remote"},
      {DialogHelpContext(133), "useit.html", "options"},
      {DialogHelpContext(146), "log.html", "config"},
      {MessageHelpContext(200), "troubles.html", "confail"},
      {0, "help.html", ""},
  };
  for (const Case& c : cases) {
    RecordingOpener opener;
    const HelpOutcome outcome = OpenHelp(TopicOfContext(c.context), program_, opener);
    EXPECT_TRUE(outcome.opened) << outcome.message;
    ASSERT_EQ(opener.urls.size(), 1u);
    EXPECT_EQ(opener.urls[0].toLocalFile().toStdString(), (program_ / "Help" / c.page).string());
    EXPECT_EQ(opener.urls[0].fragment().toStdString(), c.fragment);
    EXPECT_EQ(opener.urls[0].hasFragment(), *c.fragment != '\0');
  }
}

TEST_F(HelpFolderTest, WithoutHelpFolderEveryRequestNamesThePagesFullPath) {
  for (std::uint32_t context : {0u, DialogHelpContext(146), MessageHelpContext(200)}) {
    RecordingOpener opener;
    const HelpOutcome outcome = OpenHelp(TopicOfContext(context), program_, opener);
    EXPECT_FALSE(outcome.opened);
    const std::string page(HelpTopicFor(context).page);
    EXPECT_EQ(outcome.message, "Cannot read file: " + (program_ / "Help" / page).string());
    EXPECT_TRUE(opener.urls.empty()) << "a missing page never reaches the browser";
  }
}

TEST_F(HelpFolderTest, MissingPageInAnExistingFolder) {
  AddPages({"help.html"});
  RecordingOpener opener;
  EXPECT_EQ(OpenHelp(TopicOfContext(DialogHelpContext(132)), program_, opener).message,
            "Cannot read file: " + (program_ / "Help/useit.html").string());
}

TEST_F(HelpFolderTest, NothingOpensHtmlNamesThePath) {
  AddPages({"useit.html"});
  RecordingOpener opener(OpenResult::kNoHandler);
  EXPECT_EQ(OpenHelp(TopicOfContext(DialogHelpContext(132)), program_, opener).message,
            "Cannot read file: " + (program_ / "Help/useit.html").string());
}

TEST_F(HelpFolderTest, HandlerThatCannotStartNamesTheBuiltArgument) {
  AddPages({"useit.html"});
  RecordingOpener opener(OpenResult::kStartFailed);
  const HelpOutcome outcome = OpenHelp(TopicOfContext(DialogHelpContext(132)), program_, opener);
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.message,
            "Cannot read file: \"file://" + (program_ / "Help/useit.html").string() + "#remote\"");
}

TEST_F(HelpFolderTest, InstalledPagesAreFoundFromTheProgramsFolder) {
  const fs::path bin = tree_ / "prefix/bin";
  fs::create_directories(bin);
  fs::create_directories(tree_ / "prefix/share/corvane/Help");
  WriteFile((tree_ / "prefix/share/corvane/Help/log.html").string(), "<html/>");
  RecordingOpener opener;
  EXPECT_TRUE(OpenHelp(TopicOfContext(DialogHelpContext(146)), bin, opener).opened);
  ASSERT_EQ(opener.urls.size(), 1u);
  EXPECT_EQ(opener.urls[0].toLocalFile().toStdString(),
            (tree_ / "prefix/share/corvane/Help/log.html").string());
}

// The real opener, with a desktop whose default HTML program records its arguments.
TEST_F(HelpFolderTest, AnchorReachesTheDesktopsHandlerIntact) {
  AddPages({"useit.html"});
  RecordingDesktop desktop;
  DesktopHtmlOpener opener;
  const HelpOutcome outcome = OpenHelp(TopicOfContext(DialogHelpContext(132)), program_, opener);
  ASSERT_TRUE(outcome.opened) << outcome.message;
  const auto arguments = desktop.WaitForArguments();
  ASSERT_TRUE(arguments) << "the handler never ran";
  ASSERT_EQ(arguments->size(), 1u);
  const std::string& url = arguments->front();
  EXPECT_EQ(url, QUrl::fromLocalFile(QString::fromStdString(program_.string()))
                         .toString(QUrl::FullyEncoded)
                         .toStdString() +
                     "/Help/useit.html#remote");
  EXPECT_NE(url.find("My%20Tools"), std::string::npos) << url;
  EXPECT_EQ(QUrl(QString::fromStdString(url)).toLocalFile().toStdString(),
            (program_ / "Help/useit.html").string());
}

TEST_F(HelpFolderTest, FileOnlyHandlerGetsThePlainPath) {
  AddPages({"log.html"});
  RecordingDesktop desktop("%f");
  DesktopHtmlOpener opener;
  ASSERT_TRUE(OpenHelp(TopicOfContext(DialogHelpContext(146)), program_, opener).opened);
  const auto arguments = desktop.WaitForArguments();
  ASSERT_TRUE(arguments);
  EXPECT_EQ(*arguments, std::vector<std::string>{(program_ / "Help/log.html").string()});
}

TEST_F(HelpFolderTest, DesktopWithoutHtmlHandler) {
  AddPages({"help.html"});
  RecordingDesktop desktop;
  fs::remove(desktop.folder() / "config/mimeapps.list");
  fs::remove(desktop.folder() / "data/applications/corvane-test-recorder.desktop");
  // No x-www-browser either.
  ScopedEnv path("PATH", (desktop.folder() / "handler bin").string());
  DesktopHtmlOpener opener;
  EXPECT_EQ(OpenHelp(TopicOfContext(0), program_, opener).message,
            "Cannot read file: " + (program_ / "Help/help.html").string());
}

TEST_F(HelpFolderTest, HandlerWhoseProgramIsGone) {
  AddPages({"useit.html"});
  RecordingDesktop desktop;
  fs::remove(desktop.folder() / "handler bin/record");
  DesktopHtmlOpener opener;
  EXPECT_EQ(OpenHelp(TopicOfContext(DialogHelpContext(106)), program_, opener).message,
            "Cannot read file: \"file://" + (program_ / "Help/useit.html").string() + "#new\"");
}

}  // namespace
}  // namespace corvane::desktop
