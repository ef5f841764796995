#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "chart/wind_rose.h"
#include "profile_test_support.h"

namespace corvane::chart {
namespace {

namespace fs = std::filesystem;
using profile_testing::OwnerRose;
using profile_testing::PathItem;
using profile_testing::ReadBytes;
using profile_testing::TempFolder;
using profile_testing::WriteBytes;

std::string Lf(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

double Real(const WindRose& rose, bool (WindRose::*get)(int, double*) const, int axis) {
  double value = -12345.0;
  EXPECT_TRUE((rose.*get)(axis, &value));
  return value;
}

// A chart with `count` axes whose fields all differ, with and without items.
void Fill(OwnerRose* rose, int count) {
  for (int a = 0; a < count; ++a) {
    const std::string name = "Axis " + std::to_string(a) + " \xC3\xA9=" + std::to_string(a);
    AxisItem* item =
        a % 3 == 2 ? nullptr : new PathItem("\\\\host\\Obj(" + std::to_string(a) + ")\\C");
    ASSERT_TRUE(rose->AddAxis(name, a % 2 ? "" : "desc", a % 4 == 1, -a * 1.5, 100.0 + a, 50.25 + a,
                              a % 5 ? 1024.0 : 0.001, item));
  }
  rose->SetGridStep(15);
  rose->SetCriticalBorder(60);
  rose->SetShowNames(0);
  rose->SetShowNumbers(3);
  rose->SetShowValues(-1);
  rose->SetLabelTrunc(1);
  rose->alpha = -7;
  rose->beta = 2147483647;
}

TEST(WindRoseProfileTest, SavesEveryLineInOrderWithCrLf) {
  TempFolder folder;
  OwnerRose rose;
  ASSERT_TRUE(rose.AddAxis("% CPU", "", false, 0.0, 100.0, 80.0, 1.0,
                           new PathItem("\\Processor(0)\\% Processor Time")));
  ASSERT_TRUE(rose.AddAxis("Disk=C:", "Free", true, -1.5, 0.5, 0.0000004, 1024.0, nullptr));
  rose.SetGridStep(25);
  ASSERT_TRUE(rose.IsModified());
  ASSERT_TRUE(rose.Save(folder / "p.crvn")) << rose.GetLastProfileError();
  EXPECT_FALSE(rose.IsModified());
  EXPECT_EQ(ReadBytes(folder / "p.crvn"),
            "\r\n# OWNER FILE\r\n\r\n"
            "GridStep=25\r\nCriticalBorder=80\r\nShowNames=1\r\nShowNumbers=0\r\nShowValues=1\r\n"
            "LabelTrunc=2\r\nAlpha=1\r\nBeta=2\r\n\r\n"
            "BeginAxis\r\nName=% CPU\r\nDesc=\r\nMinValue=0.000000\r\nMaxValue=100.000000\r\n"
            "CriticalValue=80.000000\r\nMultiplier=1.000000\r\nInverse=0\r\n"
            "Counter=\\Processor(0)\\% Processor Time\r\nEndAxis\r\n\r\n"
            "BeginAxis\r\nName=Disk=C:\r\nDesc=Free\r\nMinValue=-1.500000\r\nMaxValue=0.500000\r\n"
            "CriticalValue=0.000000\r\nMultiplier=1024.000000\r\nInverse=1\r\nEndAxis\r\n\r\n");
}

TEST(WindRoseProfileTest, APlainChartWritesItsOwnHeaderAndEmptyTextsForMissingOnes) {
  TempFolder folder;
  WindRose rose(32, 4);
  ASSERT_TRUE(rose.Save(folder / "empty.crvn"));
  const std::string settings =
      "GridStep=20\r\nCriticalBorder=80\r\nShowNames=1\r\nShowNumbers=0\r\nShowValues=1\r\n"
      "LabelTrunc=2\r\n\r\n";
  EXPECT_EQ(ReadBytes(folder / "empty.crvn"),
            "\r\n# WINDROSE CONFIGURATION FILE. DO NOT EDIT!\r\n\r\n" + settings);

  // A block without Name and Desc loads an axis without texts; they are saved empty.
  WriteBytes(folder / "blank.crvn", "BeginAxis\nEndAxis\n");
  ASSERT_TRUE(rose.Load(folder / "blank.crvn"));
  Text name = "x";
  ASSERT_TRUE(rose.GetAxisName(0, &name));
  EXPECT_FALSE(name.has_value());
  ASSERT_TRUE(rose.Save(folder / "blank.crvn"));
  EXPECT_EQ(ReadBytes(folder / "blank.crvn"),
            "\r\n# WINDROSE CONFIGURATION FILE. DO NOT EDIT!\r\n\r\n" + settings +
                "BeginAxis\r\nName=\r\nDesc=\r\nMinValue=0.000000\r\nMaxValue=0.000000\r\n"
                "CriticalValue=0.000000\r\nMultiplier=1.000000\r\nInverse=0\r\nEndAxis\r\n\r\n");
}

TEST(WindRoseProfileTest, ASavedFileLoadsAndSavesToTheSameBytesFromCrLfOrLf) {
  TempFolder folder;
  OwnerRose original;
  Fill(&original, 32);
  ASSERT_TRUE(original.Save(folder / "a.crvn"));
  const std::string saved = ReadBytes(folder / "a.crvn");
  WriteBytes(folder / "lf.crvn", Lf(saved));

  for (const char* source : {"a.crvn", "lf.crvn"}) {
    OwnerRose copy;
    ASSERT_TRUE(copy.Load(folder / source)) << copy.GetLastProfileError();
    EXPECT_FALSE(copy.IsModified());
    ASSERT_EQ(copy.GetAxisCount(), 32);
    EXPECT_EQ(copy.Name(31), "Axis 31 \xC3\xA9=31");
    EXPECT_EQ(copy.Path(30), "\\\\host\\Obj(30)\\C");
    EXPECT_EQ(copy.Path(2), "<none>");
    EXPECT_EQ(Real(copy, &WindRose::GetAxisMin, 3), -4.5);
    EXPECT_EQ(copy.GetShowValues(), -1);
    EXPECT_EQ(copy.beta, 2147483647);
    ASSERT_TRUE(copy.Save(folder / "b.crvn"));
    EXPECT_TRUE(ReadBytes(folder / "b.crvn") == saved) << source;
  }
}

struct LoadCase {
  const char* label;
  std::string text;
  std::function<void(const OwnerRose&)> check;
};

TEST(WindRoseProfileTest, ReadsEachLineByTheFileRules) {
  using Lines = std::vector<std::pair<std::string, std::string>>;
  const std::string long_name(3000, 'y');
  const LoadCase cases[] = {
      {"keys with spaces or another case are other keys", "GridStep = 5\ngridstep=6\nGRIDSTEP=7\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.GetGridStep(), 20);
         EXPECT_EQ(r.setting_lines,
                   (Lines{{"GridStep ", " 5"}, {"gridstep", "6"}, {"GRIDSTEP", "7"}}));
       }},
      {"comments and the header are optional", "GridStep=30\n#GridStep=40\n# OTHER HEADER\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.GetGridStep(), 30);
         EXPECT_TRUE(r.setting_lines.empty());
       }},
      {"nothing after = keeps the value; a bare word is key and value",
       "ShowNames=\nLabelTrunc=\nShowValues\nShowNumbers=  -3x\nAlpha=\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.GetShowNames(), 1);
         EXPECT_EQ(r.GetLabelTrunc(), 2);
         EXPECT_EQ(r.GetShowValues(), 0);
         EXPECT_EQ(r.GetShowNumbers(), -3);
         EXPECT_EQ(r.alpha, 1);
         EXPECT_EQ(r.setting_lines, (Lines{{"Alpha", ""}}));
       }},
      {"percentages outside 0..100 are refused",
       "GridStep=150\nCriticalBorder=-1\nGridStep=99999999999\nCriticalBorder=\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.GetGridStep(), 20);
         EXPECT_EQ(r.GetCriticalBorder(), 80);
       }},
      {"percentages at the ends are taken", "GridStep=0\nCriticalBorder=100\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.GetGridStep(), 0);
         EXPECT_EQ(r.GetCriticalBorder(), 100);
       }},
      {"axis fields",
       "BeginAxis\nName=a=b\nDesc=\nMinValue=-5\nMaxValue=1e3\nCriticalValue=abc\n"
       "Multiplier=\nInverse=2\nCounter=\\\\h\\X\\Y\nEndAxis\n",
       [](const OwnerRose& r) {
         ASSERT_EQ(r.GetAxisCount(), 1);
         EXPECT_EQ(r.Name(0), "a=b");
         Text desc;
         r.GetAxisDescription(0, &desc);
         EXPECT_EQ(desc, std::string_view(""));
         EXPECT_EQ(Real(r, &WindRose::GetAxisMin, 0), -5.0);
         EXPECT_EQ(Real(r, &WindRose::GetAxisMax, 0), 1000.0);
         EXPECT_EQ(Real(r, &WindRose::GetAxisCritical, 0), 0.0);
         EXPECT_EQ(Real(r, &WindRose::GetAxisMultiplier, 0), 1.0);
         bool inverse = false;
         r.GetAxisInverse(0, &inverse);
         EXPECT_TRUE(inverse);
         EXPECT_EQ(r.Path(0), "\\\\h\\X\\Y");
       }},
      {"bare Name, non-numbers, empty and huge values",
       "BeginAxis\nName\nInverse=x\nMaxValue=7\nMaxValue=1e400\nMaxValue=\nBeginAxis\n"
       "Name=\nInverse=1\nInverse=\nCounter=\n",
       [](const OwnerRose& r) {
         ASSERT_EQ(r.GetAxisCount(), 2);
         EXPECT_EQ(r.Name(0), "Name");
         EXPECT_EQ(r.Name(1), "");
         bool inverse = true;
         r.GetAxisInverse(0, &inverse);
         EXPECT_FALSE(inverse);
         r.GetAxisInverse(1, &inverse);
         EXPECT_TRUE(inverse);
         EXPECT_EQ(Real(r, &WindRose::GetAxisMax, 0), 7.0);
         EXPECT_EQ(r.Path(1), "");
       }},
      {"keys in the wrong place go to the other hook",
       "Counter=x\nBeginAxis\nGridStep=5\nEndAxis\nName=c\n",
       [](const OwnerRose& r) {
         ASSERT_EQ(r.GetAxisCount(), 1);
         EXPECT_EQ(r.GetGridStep(), 20);
         EXPECT_EQ(r.Path(0), "<none>");
         EXPECT_EQ(r.setting_lines, (Lines{{"Counter", "x"}, {"Name", "c"}}));
         EXPECT_EQ(r.item_lines, (Lines{{"GridStep", "5"}}));
       }},
      {"a block without EndAxis runs to the next BeginAxis",
       "BeginAxis\nName=a\nBeginAxis\nName=b\n",
       [](const OwnerRose& r) {
         ASSERT_EQ(r.GetAxisCount(), 2);
         EXPECT_EQ(r.Name(0), "a");
         EXPECT_EQ(r.Name(1), "b");
       }},
      {"a second item replaces the first, which is freed",
       "BeginAxis\nCounter=a\nCounter=b\nEndAxis\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.Path(0), "b");
         EXPECT_EQ(r.frees, 1);
       }},
      {"a NUL byte ends its line", std::string("BeginAxis\nName=ab\0cd\nDesc=x\n", 27),
       [](const OwnerRose& r) {
         EXPECT_EQ(r.Name(0), "ab");
         Text desc;
         r.GetAxisDescription(0, &desc);
         EXPECT_EQ(desc, std::string_view("x"));
       }},
      {"a long line is read in pieces, each a line", "BeginAxis\nName=" + long_name + "\n",
       [](const OwnerRose& r) {
         EXPECT_EQ(r.Name(0), std::string(2042, 'y'));
         EXPECT_EQ(r.item_lines, (Lines{{std::string(958, 'y'), std::string(958, 'y')}}));
       }},
      {"the piece after a long comment is no comment",
       "#" + std::string(2046, 'c') + "GridStep=5\n",
       [](const OwnerRose& r) { EXPECT_EQ(r.GetGridStep(), 5); }},
  };
  TempFolder folder;
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.label);
    for (bool crlf : {false, true}) {
      std::string bytes;
      for (char ch : c.text) bytes += crlf && ch == '\n' ? std::string("\r\n") : std::string(1, ch);
      WriteBytes(folder / "case.crvn", bytes);
      OwnerRose rose;
      ASSERT_TRUE(rose.Load(folder / "case.crvn")) << rose.GetLastProfileError();
      c.check(rose);
    }
  }
}

TEST(WindRoseProfileTest, StopsReadingAtTheAxisLimitAndSucceeds) {
  TempFolder folder;
  std::string text;
  for (int b = 0; b < 40; ++b)
    text += "BeginAxis\nName=" + std::to_string(b) + "\nCounter=c\nEndAxis\n";
  text += "GridStep=55\n";
  WriteBytes(folder / "forty.crvn", text);

  OwnerRose rose;
  ASSERT_TRUE(rose.Load(folder / "forty.crvn"));
  EXPECT_EQ(rose.GetAxisCount(), 32);
  EXPECT_EQ(rose.Name(31), "31");
  EXPECT_EQ(rose.GetGridStep(), 20);  // after the 33rd BeginAxis nothing is read
  EXPECT_EQ(rose.item_lines.size(), 32U);

  // Loading appends to the axes there are.
  OwnerRose small(4);
  ASSERT_TRUE(small.AddAxis("kept", "", false, 0, 1, 1, 1, nullptr));
  ASSERT_TRUE(small.Load(folder / "forty.crvn"));
  EXPECT_EQ(small.GetAxisCount(), 4);
  EXPECT_EQ(small.Name(0), "kept");
  EXPECT_EQ(small.Name(3), "2");
}

TEST(WindRoseProfileTest, LoadFailuresChangeNothingAndSayWhy) {
  TempFolder folder;
  // A FIFO without a writer: an open that waited for one would never return.
  ASSERT_EQ(::mkfifo((folder / "fifo.crvn").c_str(), 0600), 0);
  const struct {
    fs::path path;
    std::string reason;
  } cases[] = {
      {"", "no profile path"},
      {folder / "missing.crvn", "No such file or directory"},
      {folder.path(), "Is a directory"},
      {folder / "fifo.crvn", "fifo.crvn is not a regular file"},
      {"/dev/zero", "/dev/zero is not a regular file"},
  };
  for (const auto& c : cases) {
    OwnerRose rose;
    rose.SetModified(true);
    EXPECT_FALSE(rose.Load(c.path));
    EXPECT_NE(rose.GetLastProfileError().find(c.reason), std::string::npos)
        << rose.GetLastProfileError();
    EXPECT_NE(rose.GetLastProfileError().find(c.path.string()), std::string::npos);
    EXPECT_TRUE(rose.IsModified());
    EXPECT_EQ(rose.GetAxisCount(), 0);
  }
}

TEST(WindRoseProfileTest, AFailedSaveKeepsTheOldFile) {
  TempFolder folder;
  const fs::path path = folder / "p.crvn";
  WriteBytes(path, "old profile");
  OwnerRose rose;
  Fill(&rose, 32);

  rose.fail_settings = true;  // a hook refuses
  EXPECT_FALSE(rose.Save(path));
  EXPECT_NE(rose.GetLastProfileError().find("hook"), std::string::npos);
  rose.fail_settings = false;

  // The disk fills up (the process's file size limit stands in for it).
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_when_full = rose.Save(path);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(saved_when_full);
  EXPECT_NE(rose.GetLastProfileError().find("File too large"), std::string::npos);

  EXPECT_FALSE(rose.Save(folder / "no" / "p.crvn"));
  EXPECT_NE(rose.GetLastProfileError().find("No such file"), std::string::npos);

  EXPECT_TRUE(rose.IsModified());
  EXPECT_EQ(ReadBytes(path), "old profile");
  EXPECT_EQ(folder.Names(), std::set<std::string>{"p.crvn"});
  ASSERT_TRUE(rose.Save(path));
  EXPECT_TRUE(rose.GetLastProfileError().empty());
  EXPECT_FALSE(rose.IsModified());
}

// Load holds the chart's lock from open to close: another thread sees all of a profile's axes
// or none, never part of them.
TEST(WindRoseProfileTest, AnotherThreadNeverSeesAHalfReadProfile) {
  TempFolder folder;
  OwnerRose source;
  Fill(&source, 8);
  ASSERT_TRUE(source.AddSeries("s", ""));
  ASSERT_TRUE(source.Save(folder / "p.crvn"));

  OwnerRose rose;
  ASSERT_TRUE(rose.AddSeries("s", ""));
  std::atomic<bool> done{false};
  std::set<int> counts;
  std::thread observer([&] {
    while (!done.load()) {
      counts.insert(rose.GetAxisCount());
      rose.SetSeriesValue(0, 5.0, 0);
    }
  });
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(rose.Load(folder / "p.crvn"));
    if (i % 10 == 0) {
      ASSERT_TRUE(rose.Save(folder / "q.crvn"));
    }
    rose.RemoveAllAxes();
  }
  done = true;
  observer.join();
  for (int count : counts) EXPECT_TRUE(count == 0 || count == 8) << count;
  EXPECT_EQ(ReadBytes(folder / "q.crvn"), ReadBytes(folder / "p.crvn"));
}

}  // namespace
}  // namespace corvane::chart
