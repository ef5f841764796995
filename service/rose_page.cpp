#include "service/rose_page.h"

#include <algorithm>
#include <charconv>

#include "chart/utf8.h"
#include "core/log_format.h"
#include "core/recording/local_seconds.h"
#include "service/layered_svg.h"

namespace corvane::service {
namespace {

std::string ValueText(const AxisValue& value) {
  if (value.state == chart::ValueState::kNotAvailable) return "n/a";
  char text[logtext::kValueBufferSize];
  return std::string(logtext::FormatValue(value.value, text));
}

std::string_view StateWords(chart::ValueState state) {
  switch (state) {
    case chart::ValueState::kCritical:
      return "critical";
    case chart::ValueState::kNotAvailable:
      return "not available";
    case chart::ValueState::kNormal:
      break;
  }
  return "normal";
}

// The row's class: the state in one word, for the style sheet.
std::string_view StateClass(std::string_view state) {
  return state == "critical" ? "critical" : state == "normal" ? "normal" : "unavailable";
}

void AppendNumber(std::string* out, std::int64_t value) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out->append(text, static_cast<std::size_t>(result.ptr - text));
}

// Calls `ascii(c)` for every byte below 0x80 and appends every well-formed longer character as
// it is, malformed ones as U+FFFD.
template <typename Ascii>
void ForEachCharacter(std::string* out, std::string_view text, Ascii ascii) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 0x80U) {
      ascii(c);
      ++i;
      continue;
    }
    std::size_t next = i;
    const char32_t code = chart::utf8::Decode(text, &next);
    if (chart::utf8::WasMalformed(code, i, next)) {
      out->append(chart::utf8::kReplacementBytes);
    } else {
      out->append(text.substr(i, next - i));
    }
    i = next;
  }
}

void AppendCell(std::string* out, std::string_view text) {
  out->append("<td>");
  AppendHtmlEscaped(out, text);
  out->append("</td>");
}

}  // namespace

std::vector<RoseRow> RowsOf(const MetricsSnapshot& snapshot) {
  std::vector<RoseRow> rows;
  rows.reserve(snapshot.axis_count);
  for (std::size_t j = 0; j < snapshot.axis_count; ++j) {
    const AxisMetrics& axis = snapshot.axes[j];
    RoseRow row;
    row.name = axis.name;
    row.current = ValueText(axis.current);
    row.average = ValueText(axis.average);
    row.maximum = ValueText(axis.maximum);
    row.critical = ValueText({axis.critical_value, chart::ValueState::kNormal});
    row.state = StateWords(axis.current.state);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string LocalTimeText(double unix_seconds) {
  const std::optional<std::int64_t> local = recording::LocalSecondsAt(unix_seconds);
  return local ? recording::FormatLocalSeconds(*local) : std::string();
}

void AppendHtmlEscaped(std::string* out, std::string_view text) {
  ForEachCharacter(out, text, [out](char c) {
    switch (c) {
      case '&':
        out->append("&amp;");
        return;
      case '<':
        out->append("&lt;");
        return;
      case '>':
        out->append("&gt;");
        return;
      case '"':
        out->append("&quot;");
        return;
      case '\'':
        out->append("&#39;");
        return;
      default:
        break;
    }
    if ((static_cast<unsigned char>(c) < 0x20U && c != '\t' && c != '\n') || c == 0x7F) {
      out->append(chart::utf8::kReplacementBytes);
    } else {
      out->push_back(c);
    }
  });
}

void AppendJsonString(std::string* out, std::string_view text) {
  out->push_back('"');
  ForEachCharacter(out, text, [out](char c) {
    if (c == '"' || c == '\\') {
      out->push_back('\\');
      out->push_back(c);
    } else if (c == '<') {
      // Never "</script>" or "<!--", wherever the JSON ends up.
      out->append("\\u003c");
    } else if (static_cast<unsigned char>(c) < 0x20U) {
      static constexpr char kHex[] = "0123456789abcdef";
      out->append("\\u00");
      out->push_back(kHex[(c >> 4) & 0xF]);
      out->push_back(kHex[c & 0xF]);
    } else {
      out->push_back(c);
    }
  });
  out->push_back('"');
}

void AppendInlineSvg(std::string* out, std::string_view document) {
  const std::size_t start = document.find("<svg");
  if (start == std::string_view::npos) return;
  const std::string_view svg = document.substr(start);
  const std::size_t root_end = svg.find('>');
  const std::size_t style = svg.find(" style=\"");
  const std::size_t style_end =
      style < root_end ? svg.find('"', style + 8) : std::string_view::npos;
  if (style_end == std::string_view::npos) {
    out->append(svg);
    return;
  }
  out->append(svg.substr(0, style)).append(svg.substr(style_end + 1));
}

void AppendRosePage(const RoseView& view, std::string* out) {
  out->append(
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>");
  AppendHtmlEscaped(out, view.profile);
  out->append(" on ");
  AppendHtmlEscaped(out, view.machine);
  out->append(
      " - Corvane</title>\n<link rel=\"stylesheet\" href=\"/rose.css\">\n"
      "<script src=\"/rose.js\" defer></script>\n</head>\n<body");
  if (view.moment) {
    out->append(" data-moment=\"");
    AppendNumber(out, *view.moment);
    out->append("\"");
  }
  out->append(">\n<header><h1>");
  AppendHtmlEscaped(out, view.profile);
  out->append("</h1>\n<p>Machine <strong id=\"machine\">");
  AppendHtmlEscaped(out, view.machine);
  out->append("</strong>, ");
  out->append(view.moment ? "recorded moment" : "sample");
  out->append(" of <time id=\"time\">");
  AppendHtmlEscaped(out, view.time.empty() ? std::string_view("(none yet)") : view.time);
  out->append("</time>. <span id=\"status\" role=\"status\">");
  out->append(view.moment ? "A recorded moment; the live rose is at <a href=\"/\">/</a>."
                          : "The picture of the moment the page was loaded.");
  out->append("</span></p>\n");
  if (!view.note.empty()) {
    out->append("<p id=\"note\">");
    AppendHtmlEscaped(out, view.note);
    out->append("</p>\n");
  }
  out->append("</header>\n<main>\n<figure id=\"rose\" data-picture=\"");
  AppendNumber(out, static_cast<std::int64_t>(view.picture));
  out->append("\">");
  AppendInlineSvg(out, view.svg);
  out->append(
      "</figure>\n<table id=\"axes\">\n<caption>The wind rose's axes</caption>\n"
      "<thead><tr><th scope=\"col\">Axis</th><th scope=\"col\">Current</th>"
      "<th scope=\"col\">Average</th><th scope=\"col\">Maximum</th>"
      "<th scope=\"col\">Critical above</th><th scope=\"col\">State</th></tr></thead>\n<tbody>\n");
  for (const RoseRow& row : view.rows) {
    out->append("<tr class=\"").append(StateClass(row.state)).append("\"><th scope=\"row\">");
    AppendHtmlEscaped(out, row.name);
    out->append("</th>");
    AppendCell(out, row.current);
    AppendCell(out, row.average);
    AppendCell(out, row.maximum);
    AppendCell(out, row.critical);
    AppendCell(out, row.state);
    out->append("</tr>\n");
  }
  out->append("</tbody>\n</table>\n");
  if (view.log) {
    // A form, so that the slider works without the script too.
    out->append(
        "<form id=\"past\" method=\"get\" action=\"/\">\n<label for=\"at\">A moment of the "
        "log</label>\n<input type=\"range\" id=\"at\" name=\"at\" step=\"1\" min=\"");
    AppendNumber(out, view.log->start);
    out->append("\" max=\"");
    AppendNumber(out, view.log->end);
    out->append("\" value=\"");
    AppendNumber(out, view.moment ? *view.moment : view.log->end);
    out->append("\">\n<button type=\"submit\">Show</button>\n</form>\n");
  }
  out->append(
      "</main>\n<footer><a href=\"/rose.svg\">/rose.svg</a> <a href=\"/metrics\">/metrics</a>"
      "</footer>\n</body></html>\n");
}

void AppendStreamStart(std::string* out, int retry_ms) {
  out->append("retry: ");
  AppendNumber(out, retry_ms);
  out->append("\n\n");
}

void AppendSampleEvent(const RoseView& view, std::string* out, bool moving_only) {
  out->append("id: ");
  AppendNumber(out, static_cast<std::int64_t>(view.picture));
  out->append("\nevent: sample\ndata: {\"picture\":");
  AppendNumber(out, static_cast<std::int64_t>(view.picture));
  out->append(moving_only ? ",\"still\":false" : ",\"still\":true");
  out->append(",\"time\":");
  AppendJsonString(out, view.time);
  out->append(",\"axes\":[");
  for (std::size_t j = 0; j < view.rows.size(); ++j) {
    const RoseRow& row = view.rows[j];
    if (j > 0) out->push_back(',');
    out->append("{\"current\":");
    AppendJsonString(out, row.current);
    out->append(",\"average\":");
    AppendJsonString(out, row.average);
    out->append(",\"maximum\":");
    AppendJsonString(out, row.maximum);
    out->append(",\"state\":");
    AppendJsonString(out, row.state);
    out->append("}");
  }
  out->append("]}\n");
  // Every line of the picture a data line of its own; a lone CR ends a line in this format
  // as LF and CR LF do, so all three are cut at. The next CR and the next LF are each looked
  // for once (memchr), not character by character against a set: the picture is some
  // kilobytes, made into an event every sample.
  std::string inline_svg;
  if (moving_only) {
    inline_svg = LayeredSvg::Cut(view.svg).moving;
  } else {
    AppendInlineSvg(&inline_svg, view.svg);
  }
  const std::string_view svg = inline_svg;
  out->reserve(out->size() + svg.size() + svg.size() / 16);
  std::size_t next_cr = svg.find('\r');
  std::size_t next_lf = svg.find('\n');
  std::size_t start = 0;
  while (start < svg.size()) {
    if (next_cr < start) next_cr = svg.find('\r', start);
    if (next_lf < start) next_lf = svg.find('\n', start);
    const std::size_t end = std::min({next_cr, next_lf, svg.size()});
    out->append("data: ").append(svg.substr(start, end - start)).push_back('\n');
    start = end;
    if (start < svg.size() && svg[start] == '\r') ++start;
    if (start < svg.size() && svg[start] == '\n') ++start;
  }
  out->push_back('\n');
}

}  // namespace corvane::service
