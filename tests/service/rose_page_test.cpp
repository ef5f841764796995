// The rose's page and stream events as text: every name from a profile escaped for where it
// goes, the page whole without its script, and event framing that no picture can break.
#include "service/rose_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/layered_svg.h"
#include "service/rose_picture.h"

namespace corvane::service {
namespace {

constexpr std::string_view kXss = "<img src=x onerror=alert(1)>";

std::string Html(std::string_view text) {
  std::string out;
  AppendHtmlEscaped(&out, text);
  return out;
}
std::string Json(std::string_view text) {
  std::string out;
  AppendJsonString(&out, text);
  return out;
}

TEST(RosePageText, HtmlEscapingLeavesNoMarkupAndNoBrokenCharacter) {
  const struct {
    std::string_view text;
    std::string_view escaped;
  } cases[] = {
      {kXss, "&lt;img src=x onerror=alert(1)&gt;"},
      {"\"quoted\" & 'single'", "&quot;quoted&quot; &amp; &#39;single&#39;"},
      {"Disk C: 100%", "Disk C: 100%"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},          // well-formed UTF-8 stays
      {"bad\xFFname", "bad\xEF\xBF\xBDname"},  // a stray byte is replaced
      {"cut\xC3", "cut\xEF\xBF\xBD"},          // so is a character cut short
      {std::string_view("nul\0bell\a", 9),
       "nul\xEF\xBF\xBD"
       "bell\xEF\xBF\xBD"},
      {"tab\tline\n", "tab\tline\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Html(c.text), c.escaped) << c.text;
}

TEST(RosePageText, JsonStringsQuoteEverythingThatWouldEndThemOrAScript) {
  const struct {
    std::string_view text;
    std::string_view json;
  } cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line\nfeed\r", "\"line\\u000afeed\\u000d\""},
      {"</script>", "\"\\u003c/script>\""},
      {"bad\xFF", "\"bad\xEF\xBF\xBD\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Json(c.text), c.json) << c.text;
}

TEST(RosePicture, SizesAreWidthByHeightWithinBounds) {
  const struct {
    std::string_view text;
    bool valid;
    int width;
    int height;
  } cases[] = {
      {"640x480", true, 640, 480},    {"16x4096", true, 16, 4096},
      {"15x100", false, 0, 0},        {"100x4097", false, 0, 0},
      {"-20x20", false, 0, 0},        {"20x", false, 0, 0},
      {"x20", false, 0, 0},           {"20", false, 0, 0},
      {"20x20x20", false, 0, 0},      {"0100x100", true, 100, 100},
      {"99999999999x1", false, 0, 0}, {" 20x20", false, 0, 0},
  };
  for (const auto& c : cases) {
    int width = 0;
    int height = 0;
    EXPECT_EQ(RosePicture::ParseSize(c.text, &width, &height), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(width, c.width) << c.text;
      EXPECT_EQ(height, c.height) << c.text;
    }
  }
}

RoseView HostileView() {
  RoseView view;
  view.machine = "db\"1";
  view.profile = "</title><script>alert(2)</script>";
  view.time = "2026-12-10 10:00:00";
  view.picture = 7;
  view.svg =
      "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" style=\"a:b\">\n"
      "<text>&lt;img src=x onerror=alert(1)&gt;</text>\n</svg>\n";
  RoseRow row;
  row.name = std::string(kXss);
  row.current = "12.50";
  row.average = "10.00";
  row.maximum = "20.00";
  row.critical = "15.00";
  row.state = "critical";
  view.rows.push_back(row);
  return view;
}

TEST(RosePage, NamesFromTheProfileAreTextAndTheOnlyScriptIsTheServicesOwn) {
  std::string page;
  AppendRosePage(HostileView(), &page);
  EXPECT_EQ(page.find("<img"), std::string::npos) << page;
  EXPECT_EQ(page.find("<script>"), std::string::npos) << page;
  EXPECT_NE(page.find("<th scope=\"row\">&lt;img src=x onerror=alert(1)&gt;</th>"),
            std::string::npos);
  EXPECT_NE(page.find("<title>&lt;/title&gt;&lt;script&gt;"), std::string::npos);
  EXPECT_NE(page.find("db&quot;1"), std::string::npos);
  // One script element, the program's own file, and nothing loaded from elsewhere.
  EXPECT_EQ(page.find("<script"), page.rfind("<script"));
  EXPECT_NE(page.find("<script src=\"/rose.js\" defer></script>"), std::string::npos);
  EXPECT_EQ(page.find("http://", page.find("</svg>")), std::string::npos);
  EXPECT_EQ(page.find("//", page.find("<body")), page.find("//www.w3.org/2000/svg"));
}

TEST(RosePage, ShowsThePictureInlineTheRowsStateInWordsAndTheSliderOnlyWithALog) {
  RoseView view = HostileView();
  std::string page;
  AppendRosePage(view, &page);
  EXPECT_EQ(page.find("<?xml"), std::string::npos);
  EXPECT_EQ(page.find("style="), std::string::npos) << "the policy allows no style attribute";
  EXPECT_NE(page.find("<figure id=\"rose\" data-picture=\"7\"><svg"), std::string::npos);
  EXPECT_NE(page.find("<tr class=\"critical\">"), std::string::npos);
  EXPECT_NE(page.find("<td>15.00</td><td>critical</td></tr>"), std::string::npos);
  EXPECT_NE(page.find("<time id=\"time\">2026-12-10 10:00:00</time>"), std::string::npos);
  EXPECT_EQ(page.find("type=\"range\""), std::string::npos);

  view.log = LogRange{1000, 2000};
  page.clear();
  AppendRosePage(view, &page);
  EXPECT_NE(page.find("min=\"1000\" max=\"2000\" value=\"2000\""), std::string::npos) << page;
  EXPECT_EQ(page.find("data-moment"), std::string::npos);

  view.moment = 1500;
  page.clear();
  AppendRosePage(view, &page);
  EXPECT_NE(page.find("<body data-moment=\"1500\">"), std::string::npos);
  EXPECT_NE(page.find("value=\"1500\""), std::string::npos);
}

// The data of each event as a browser puts it together: "data: " lines joined with LF.
std::vector<std::string> EventData(std::string_view stream) {
  std::vector<std::string> events;
  std::string data;
  bool any = false;
  std::size_t start = 0;
  while (start < stream.size()) {
    std::size_t end = stream.find('\n', start);
    if (end == std::string_view::npos) end = stream.size();
    const std::string_view line = stream.substr(start, end - start);
    start = end + 1;
    if (line.empty()) {
      if (any) events.push_back(data);
      data.clear();
      any = false;
    } else if (line.substr(0, 6) == "data: ") {
      if (any) data.push_back('\n');
      data.append(line.substr(6));
      any = true;
    } else {
      EXPECT_TRUE(line.substr(0, 4) == "id: " || line == "event: sample") << line;
    }
  }
  return events;
}

TEST(RoseStreamEvents, APictureWithAnyLineBreaksStaysInsideOneEvent) {
  RoseView view = HostileView();
  // CR, CR LF and blank lines in the picture, and a line that looks like a field.
  const std::string svg =
      "<svg>\r<text>one</text>\r\n\n<text>event: evil</text>\nid: 99\n\n\n</svg>\n";
  view.svg = svg;
  std::string stream;
  AppendSampleEvent(view, &stream);
  AppendSampleEvent(view, &stream);
  const std::vector<std::string> events = EventData(stream);
  ASSERT_EQ(events.size(), 2u) << stream;
  const std::size_t cut = events[0].find('\n');
  EXPECT_EQ(events[0].substr(0, cut),
            "{\"picture\":7,\"still\":true,\"time\":\"2026-12-10 10:00:00\",\"axes\":[{"
            "\"current\":\"12.50\","
            "\"average\":\"10.00\",\"maximum\":\"20.00\",\"state\":\"critical\"}]}");
  EXPECT_EQ(events[0].substr(cut + 1),
            "<svg>\n<text>one</text>\n\n<text>event: evil</text>\nid: 99\n\n\n</svg>");
  EXPECT_EQ(stream.substr(0, 20), "id: 7\nevent: sample\n");
}

// A picture as the service draws it: a still background and label, a moving value text and
// polyline, the state set while drawing the still layer applying to the moving one too.
std::string LayeredPicture(std::string_view value) {
  LayeredSvg surface(100, 80);
  surface.FillRect(chart::Rect{0, 0, 100, 80}, 0x000000);
  surface.SetTextColour(0x0000FF);
  surface.DrawText(chart::Point{5, 5}, "CPU");
  surface.SetLayer(chart::DrawingLayer::kMoving);
  surface.DrawText(chart::Point{5, 20}, value);
  surface.SelectPen(chart::Pen{chart::PenStyle::kSolid, 2, 0x00FF00});
  const chart::Point points[] = {{10, 10}, {20, 30}};
  surface.Polyline(points);
  surface.SetLayer(chart::DrawingLayer::kStill);
  surface.MoveTo(chart::Point{0, 79});
  surface.LineTo(chart::Point{99, 79});
  return surface.Document();
}

TEST(LayeredSvg, TheMovingLayerIsTheLastGroupAndTheRestIsTheStillLayer) {
  const std::string document = LayeredPicture("42 %");
  const LayeredSvg::Parts parts = LayeredSvg::Cut(document);
  EXPECT_TRUE(parts.moving.starts_with("<g id=\"moving\">\n<rect ")) << document;
  EXPECT_TRUE(parts.moving.ends_with("</g>")) << document;
  EXPECT_NE(parts.moving.find(">42 %</text>"), std::string_view::npos) << document;
  EXPECT_NE(parts.moving.find("fill=\"#ff0000\""), std::string_view::npos) << "the text colour";
  EXPECT_NE(parts.moving.find("<polyline"), std::string_view::npos);
  EXPECT_EQ(parts.still.find(">42 %<"), std::string_view::npos);
  EXPECT_NE(parts.still.find(">CPU</text>"), std::string_view::npos);
  // The still line drawn after the moving layer is still, with the pen chosen meanwhile.
  EXPECT_NE(parts.still.find("<line x1=\"0\" y1=\"79\" x2=\"99\" y2=\"79\" fill=\"none\" "
                             "stroke=\"#00ff00\" stroke-width=\"2\"/>"),
            std::string_view::npos)
      << document;
  EXPECT_TRUE(document.ends_with("</g>\n</svg>\n")) << document;
  EXPECT_EQ(LayeredSvg::Cut(LayeredPicture("7 %")).still, parts.still) << "values move only";

  const std::string plain = "<svg><text>&lt;g id=\"moving\"&gt;</text></svg>";
  EXPECT_EQ(LayeredSvg::Cut(plain).still, plain);
  EXPECT_TRUE(LayeredSvg::Cut(plain).moving.empty());
}

TEST(RoseStreamEvents, AMovingOnlyEventCarriesTheMovingGroupAlone) {
  RoseView view = HostileView();
  const std::string document = LayeredPicture("42 %");
  view.svg = document;
  std::string stream;
  AppendSampleEvent(view, &stream, /*moving_only=*/true);
  AppendSampleEvent(view, &stream);
  const std::vector<std::string> events = EventData(stream);
  ASSERT_EQ(events.size(), 2u) << stream;
  const std::size_t cut = events[0].find('\n');
  EXPECT_TRUE(events[0].starts_with("{\"picture\":7,\"still\":false,")) << events[0];
  EXPECT_EQ(events[0].substr(cut + 1), LayeredSvg::Cut(document).moving);
  EXPECT_TRUE(events[1].starts_with("{\"picture\":7,\"still\":true,")) << events[1];
  EXPECT_NE(events[1].find("<svg"), std::string::npos);
  EXPECT_NE(events[1].find("<g id=\"moving\">"), std::string::npos);
}

}  // namespace
}  // namespace corvane::service
