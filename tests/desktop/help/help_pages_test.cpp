// The help pages as they ship: every page well-formed, every internal link and anchor
// resolving, every page reachable and linking to the others, the anchors the program opens
// present, and the build tree's copy beside the program complete.
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "desktop/help/help_topics.h"

namespace corvane::desktop {
namespace {

namespace fs = std::filesystem;

const fs::path kSourcePages = CORVANE_HELP_SOURCE_DIR;
const fs::path kBuildPages = CORVANE_HELP_BUILD_DIR;

struct Page {
  std::string error;  // empty when well-formed
  std::string root, lang, title, charset;
  std::set<std::string> ids;
  std::vector<std::string> links;  // href and src values
};

Page ReadPage(const fs::path& file) {
  Page page;
  QFile in(QString::fromStdString(file.string()));
  if (!in.open(QIODevice::ReadOnly)) {
    page.error = "cannot open";
    return page;
  }
  QXmlStreamReader xml(&in);
  bool in_title = false;
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      const std::string name = xml.name().toString().toStdString();
      const QXmlStreamAttributes attributes = xml.attributes();
      if (page.root.empty()) {
        page.root = name;
        page.lang = attributes.value("lang").toString().toStdString();
      }
      if (name == "title") in_title = true;
      if (name == "meta" && attributes.hasAttribute("charset"))
        page.charset = attributes.value("charset").toString().toStdString();
      for (const char* anchor : {"id", "name"})
        if (attributes.hasAttribute(anchor) && name != "meta")
          page.ids.insert(attributes.value(anchor).toString().toStdString());
      for (const char* link : {"href", "src"})
        if (attributes.hasAttribute(link))
          page.links.push_back(attributes.value(link).toString().toStdString());
    } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("title")) {
      in_title = false;
    } else if (token == QXmlStreamReader::Characters && in_title) {
      page.title += xml.text().toString().toStdString();
    }
  }
  if (xml.hasError())
    page.error = xml.errorString().toStdString() + " at line " + std::to_string(xml.lineNumber());
  return page;
}

bool IsExternal(const std::string& target) {
  return target.starts_with("http:") || target.starts_with("https:") ||
         target.starts_with("mailto:");
}

class HelpPagesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const auto& entry : fs::directory_iterator(kSourcePages)) {
      const std::string name = entry.path().filename().string();
      files_.insert(name);
      if (entry.path().extension() == ".html") pages_[name] = ReadPage(entry.path());
    }
  }
  static std::set<std::string> files_;
  static std::map<std::string, Page> pages_;
};

std::set<std::string> HelpPagesTest::files_;
std::map<std::string, Page> HelpPagesTest::pages_;

TEST_F(HelpPagesTest, TheManualIsComplete) {
  for (const char* page : {"help.html", "useit.html", "log.html", "troubles.html", "profiles.html",
                           "service.html", "screensaver.html", "report.html"})
    EXPECT_TRUE(pages_.contains(page)) << page;
}

TEST_F(HelpPagesTest, EveryPageIsWellFormedWithTitleLanguageAndCharset) {
  for (const auto& [name, page] : pages_) {
    SCOPED_TRACE(name);
    EXPECT_EQ(page.error, "");
    EXPECT_EQ(page.root, "html");
    EXPECT_EQ(page.lang, "en");
    EXPECT_EQ(page.charset, "utf-8");
    EXPECT_FALSE(page.title.empty());
  }
}

TEST_F(HelpPagesTest, EveryInternalLinkAndAnchorResolves) {
  std::size_t checked = 0;
  for (const auto& [name, page] : pages_) {
    for (const std::string& link : page.links) {
      SCOPED_TRACE(name + " -> " + link);
      if (IsExternal(link)) continue;
      const std::size_t hash = link.find('#');
      const std::string file = hash == std::string::npos ? link : link.substr(0, hash);
      const std::string target = file.empty() ? name : file;
      ASSERT_EQ(file.find('/'), std::string::npos) << "pages link within the Help folder";
      ASSERT_TRUE(files_.contains(target));
      if (hash != std::string::npos) {
        ASSERT_TRUE(pages_.contains(target));
        EXPECT_TRUE(pages_.at(target).ids.contains(link.substr(hash + 1)));
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 100u);
}

TEST_F(HelpPagesTest, EveryPageLinksToEveryOtherAndEveryFileIsUsed) {
  std::set<std::string> used;
  for (const auto& [name, page] : pages_) {
    std::set<std::string> targets;
    for (const std::string& link : page.links)
      if (!IsExternal(link)) targets.insert(link.substr(0, link.find('#')));
    used.insert(targets.begin(), targets.end());
    for (const auto& [other, unused] : pages_)
      if (other != name) {
        EXPECT_TRUE(targets.contains(other)) << name << " lacks " << other;
      }
  }
  for (const std::string& file : files_) EXPECT_TRUE(used.contains(file)) << file;
}

TEST_F(HelpPagesTest, EveryPageTheProgramOpensHasItsAnchor) {
  for (const HelpTableRow& row : HelpTable()) {
    const std::string page(row.topic.page);
    SCOPED_TRACE(page + std::string(row.topic.anchor));
    ASSERT_TRUE(pages_.contains(page));
    ASSERT_TRUE(row.topic.anchor.starts_with('#'));
    EXPECT_TRUE(pages_.at(page).ids.contains(std::string(row.topic.anchor.substr(1))));
  }
  EXPECT_TRUE(pages_.contains(std::string(kHelpStartPage)));
  EXPECT_TRUE(pages_.contains("report.html"));
}

TEST_F(HelpPagesTest, BuildTreeHasTheSameFilesBesideTheProgram) {
  std::set<std::string> copied;
  for (const auto& entry : fs::directory_iterator(kBuildPages)) {
    const std::string name = entry.path().filename().string();
    copied.insert(name);
    EXPECT_EQ(fs::file_size(entry.path()), fs::file_size(kSourcePages / name)) << name;
  }
  EXPECT_EQ(copied, files_);
  EXPECT_EQ(FindHelpFolder(kBuildPages.parent_path()), kBuildPages);
}

}  // namespace
}  // namespace corvane::desktop
