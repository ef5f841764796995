#include "core/log_format.h"

#include <charconv>

namespace corvane::logtext {
namespace {

std::string_view ModeText(int mode) {
  switch (mode) {
    case 1:
      return "every update of counter values.";
    case 2:
      return "changes in counter values only.";
    case 3:
      return "changes in counter states only.";
    default:
      return {};
  }
}

std::string_view ArrowText(Arrow arrow) {
  switch (arrow) {
    case Arrow::kUp:
      return " <font color=red><b>&uarr;</b></font>";
    case Arrow::kDown:
      return " <font color=green><b>&darr;</b></font>";
    case Arrow::kNone:
      break;
  }
  return {};
}

// A name inside a CSV line: a comma would start a new field, a line break a new row.
void AppendCsvName(std::string& out, std::string_view name, bool keep_commas) {
  for (const char c : name) {
    if (c == '\r' || c == '\n' || (c == ',' && !keep_commas)) continue;
    out += c;
  }
}

}  // namespace

std::string_view FormatValue(double v, char (&out)[kValueBufferSize]) {
  const auto result = std::to_chars(out, out + kValueBufferSize, v, std::chars_format::fixed, 2);
  if (result.ec != std::errc{}) return {};  // cannot happen with kValueBufferSize
  return {out, static_cast<std::size_t>(result.ptr - out)};
}

void AppendHtmlText(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
}

void AppendHref(std::string& out, std::string_view target) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : target) {
    const auto byte = static_cast<unsigned char>(c);
    const bool escape = byte < 0x20 || byte == 0x7F || c == '"' || c == '#' || c == '%' ||
                        c == '?' || c == '&' || c == '<' || c == '>';
    if (escape) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
}

void AppendHtmlHeader(std::string& out, std::string_view title, std::string_view log_name,
                      std::string_view backup_name) {
  out += "<html><body>\n<h1>";
  out += "Corvane Log: ";
  AppendHtmlText(out, title);
  out += "</h1>\n";
  out += "Navigate: <a href=\"#end\">End Of File</a>";
  out += " &#8226; <a href=\"";
  AppendHref(out, log_name);
  out += "\">Current Log</a>";
  if (!backup_name.empty()) {
    out += " &#8226; <a href=\"";
    AppendHref(out, backup_name);
    out += "\">Backup Log</a>";
  }
  out += "<br>\n";
  out += kHtmlEnd;
}

void AppendHtmlBanner(std::string& out, std::string_view started, int mode,
                      std::span<const LogAxis> axes) {
  out += "\n<p><font size=+1><b>Started ";
  out += started;
  out += "</b></font><br>\n";
  out += "Logging is set to track ";
  out += ModeText(mode);
  out += "</p>\n\n";
  out += "<table border=1 cellspacing=0 cellpadding=4>\n";
  out += " <tr>\n  <th>Date</th>\n  <th>Time</th>\n";
  for (const LogAxis& axis : axes) {
    out += "  <th>";
    AppendHtmlText(out, axis.name);
    out += "</th>\n";
  }
  out += " </tr>\n\n";
  out += kHtmlTableEnd;
}

void AppendHtmlRowStart(std::string& out, bool even, std::string_view date, std::string_view time) {
  out += even ? " <tr bgcolor=aliceblue><td>" : " <tr bgcolor=whitesmoke><td>";
  out += date;
  out += "</td><td>";
  out += time;
  out += "</td>\n";
}

void AppendHtmlCell(std::string& out, std::string_view value, bool critical, Arrow arrow) {
  out += critical ? "  <td nowrap bgcolor=pink>" : "  <td nowrap >";
  out += value;
  out += ArrowText(arrow);
  out += "</td>\n";
}

void AppendHtmlUnavailableCell(std::string& out) {
  out += "  <td nowrap bgcolor=silver>N/A</td>\n";
}

void AppendHtmlRowEnd(std::string& out) {
  out += " </tr>\n";
  out += kHtmlTableEnd;
}

void AppendCsvHeader(std::string& out, std::string_view title) {
  out += "Corvane Log: ";
  AppendCsvName(out, title, /*keep_commas=*/true);
  out += '\n';
}

void AppendCsvBanner(std::string& out, std::string_view started, std::span<const LogAxis> axes) {
  out += "\nStarted on ";
  out += started;
  out += "\nDate,Time";
  for (const LogAxis& axis : axes) {
    out += ',';
    AppendCsvName(out, axis.name, /*keep_commas=*/false);
  }
  out += '\n';
}

void AppendCsvRowStart(std::string& out, std::string_view date, std::string_view time) {
  out += date;
  out += ',';
  out += time;
}

void AppendCsvCell(std::string& out, std::string_view value) {
  out += ',';
  out += value;
}

void AppendCsvUnavailableCell(std::string& out) { out += ",N/A"; }

void AppendCsvRowEnd(std::string& out) { out += '\n'; }

}  // namespace corvane::logtext
