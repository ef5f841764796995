#include "platform/linux/host/ini_document.h"

#include <algorithm>
#include <cstdio>

namespace corvane::host {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

void AppendHex(std::string* out, unsigned char c) {
  char buffer[5];
  std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
  *out += buffer;
}

// Escapes everything a line cannot carry; `is_name` adds what would end or disguise a name.
std::string Escape(std::string_view text, bool is_name) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool at_end = i == 0 || i + 1 == text.size();
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7f || (c == ' ' && at_end)) {
      AppendHex(&out, c);
    } else if (is_name &&
               (c == '=' || (i == 0 && (c == '[' || c == ';' || c == '#' || c == '@')))) {
      AppendHex(&out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string NameOf(std::string_view field) {
  field = Trim(field);
  if (field == "@") return {};
  return UnescapeIni(field);
}

}  // namespace

std::string EscapeIniValue(std::string_view value) { return Escape(value, false); }

std::string EscapeIniName(std::string_view name) {
  if (name.empty()) return "@";
  return Escape(name, true);
}

std::string UnescapeIni(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    const char next = text[i + 1];
    if (next == '\\') {
      out += '\\';
      ++i;
    } else if (next == 'n') {
      out += '\n';
      ++i;
    } else if (next == 'r') {
      out += '\r';
      ++i;
    } else if (next == 't') {
      out += '\t';
      ++i;
    } else if (next == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 &&
               HexDigit(text[i + 3]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      out += c;  // not an escape: the backslash stands for itself
    }
  }
  return out;
}

std::optional<std::string> NormalizeKeyPath(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  for (std::size_t i = 0; i < key.size(); ++i) {
    const auto c = static_cast<unsigned char>(key[i]);
    if (c < 0x20 || c == 0x7f) return std::nullopt;
    if (c == '\\' && key[i + 1] == '\\') return std::nullopt;  // i + 1 < size: no trailing '\'
  }
  return std::string(key);
}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // hand-edited CRLF files

    const std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const auto close = trimmed.rfind(']');
      if (close != std::string_view::npos) {
        doc.sections_.push_back(Section{std::string(trimmed.substr(1, close - 1)), {}});
        continue;
      }
    }
    Line entry;
    entry.raw = std::string(line);
    const bool comment = !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
    const auto equals = trimmed.find('=');
    if (!comment && equals != std::string_view::npos && !doc.sections_.empty()) {
      entry.is_value = true;
      entry.name = NameOf(trimmed.substr(0, equals));
      entry.value = UnescapeIni(Trim(trimmed.substr(equals + 1)));
    }
    if (doc.sections_.empty()) {
      doc.preamble_.push_back(std::move(entry.raw));
    } else {
      doc.sections_.back().lines.push_back(std::move(entry));
    }
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const std::string& line : preamble_) {
    out += line;
    out += '\n';
  }
  for (const Section& section : sections_) {
    out += '[';
    out += section.key;
    out += "]\n";
    for (const Line& line : section.lines) {
      if (line.is_value) {
        out += EscapeIniName(line.name);
        out += '=';
        out += EscapeIniValue(line.value);
      } else {
        out += line.raw;
      }
      out += '\n';
    }
  }
  return out;
}

IniDocument::Section* IniDocument::FindSection(std::string_view key) {
  for (Section& section : sections_) {
    if (EqualNoCase(section.key, key)) return &section;
  }
  return nullptr;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view key) const {
  return const_cast<IniDocument*>(this)->FindSection(key);
}

IniDocument::Section& IniDocument::AddSection(std::string_view key) {
  // Keep a blank line between sections, as a person would write the file.
  std::vector<Line>* last = sections_.empty() ? nullptr : &sections_.back().lines;
  const bool needs_blank =
      last != nullptr ? (last->empty() || last->back().is_value || !Trim(last->back().raw).empty())
                      : (!preamble_.empty() && !Trim(preamble_.back()).empty());
  if (needs_blank) {
    if (last != nullptr) {
      last->push_back(Line{});
    } else {
      preamble_.emplace_back();
    }
  }
  sections_.push_back(Section{std::string(key), {}});
  return sections_.back();
}

bool IniDocument::HasKey(std::string_view key) const {
  if (key.empty()) return true;
  for (const Section& section : sections_) {
    if (EqualNoCase(section.key, key)) return true;
    if (section.key.size() > key.size() && section.key[key.size()] == '\\' &&
        EqualNoCase(std::string_view(section.key).substr(0, key.size()), key)) {
      return true;
    }
  }
  return false;
}

void IniDocument::CreateKey(std::string_view key) {
  if (FindSection(key) == nullptr) AddSection(key);
}

std::optional<std::string> IniDocument::Value(std::string_view key, std::string_view name) const {
  const Section* section = FindSection(key);
  if (section == nullptr) return std::nullopt;
  for (const Line& line : section->lines) {
    if (line.is_value && EqualNoCase(line.name, name)) return line.value;
  }
  return std::nullopt;
}

void IniDocument::SetValue(std::string_view key, std::string_view name, std::string_view value) {
  Section* section = FindSection(key);
  if (section == nullptr) section = &AddSection(key);
  for (Line& line : section->lines) {
    if (line.is_value && EqualNoCase(line.name, name)) {
      line.value = std::string(value);
      return;
    }
  }
  // A new value goes after the section's last value, ahead of the blank lines that part it
  // from the next section.
  auto at = section->lines.end();
  while (at != section->lines.begin() && !std::prev(at)->is_value &&
         Trim(std::prev(at)->raw).empty()) {
    --at;
  }
  Line line;
  line.is_value = true;
  line.name = std::string(name);
  line.value = std::string(value);
  section->lines.insert(at, std::move(line));
}

bool IniDocument::DeleteValue(std::string_view key, std::string_view name) {
  Section* section = FindSection(key);
  if (section == nullptr) return false;
  const auto it = std::find_if(section->lines.begin(), section->lines.end(), [&](const Line& line) {
    return line.is_value && EqualNoCase(line.name, name);
  });
  if (it == section->lines.end()) return false;
  section->lines.erase(it);
  return true;
}

}  // namespace corvane::host
