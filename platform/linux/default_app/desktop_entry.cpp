#include "platform/linux/default_app/desktop_entry.h"

#include "platform/linux/default_app/key_file.h"

namespace corvane::desktop {
namespace {

constexpr std::string_view kGroup = "Desktop Entry";

// The escapes of a string value: \s space, \n, \t, \r and \\. Others stay as written, so
// that the Exec line's own quoting escapes reach its parser.
std::string UnescapeValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    switch (value[++i]) {
      case 's':
        out.push_back(' ');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case '\\':
        out.push_back('\\');
        break;
      default:
        out.push_back('\\');
        out.push_back(value[i]);
    }
  }
  return out;
}

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits an Exec line at unquoted spaces. Inside double quotes a backslash escapes one of
// " ` $ and \ and nothing else.
std::optional<std::vector<Token>> SplitExec(std::string_view line) {
  std::vector<Token> tokens;
  Token current;
  bool in_token = false;
  bool in_quotes = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (in_quotes) {
      if (c == '"') {
        in_quotes = false;
      } else if (c == '\\') {
        if (i + 1 == line.size()) return std::nullopt;
        const char next = line[++i];
        if (next != '"' && next != '`' && next != '$' && next != '\\') return std::nullopt;
        current.text.push_back(next);
      } else {
        current.text.push_back(c);
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (in_token) tokens.push_back(std::move(current));
      current = {};
      in_token = false;
    } else if (c == '"') {
      in_quotes = true;
      in_token = true;
      current.quoted = true;
    } else {
      current.text.push_back(c);
      in_token = true;
    }
  }
  if (in_quotes) return std::nullopt;
  if (in_token) tokens.push_back(std::move(current));
  return tokens;
}

}  // namespace

std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text) {
  const KeyFile file = KeyFile::Parse(text);
  if (!file.HasGroup(kGroup)) return std::nullopt;
  const auto value = [&file](std::string_view key) {
    return UnescapeValue(file.Value(kGroup, key).value_or(""));
  };
  DesktopEntry entry;
  entry.type = value("Type");
  entry.name = value("Name");
  entry.icon = value("Icon");
  entry.exec = value("Exec");
  entry.try_exec = value("TryExec");
  entry.terminal = value("Terminal") == "true";
  entry.hidden = value("Hidden") == "true";
  return entry;
}

std::optional<DesktopEntry> ReadDesktopEntry(const std::filesystem::path& file) {
  const std::optional<std::string> text = ReadTextFile(file);
  if (!text) return std::nullopt;
  std::optional<DesktopEntry> entry = ParseDesktopEntry(*text);
  if (entry) entry->file = file;
  return entry;
}

std::optional<std::vector<std::string>> ExpandExec(const DesktopEntry& entry, std::string_view url,
                                                   std::string_view local_file) {
  const std::optional<std::vector<Token>> tokens = SplitExec(entry.exec);
  if (!tokens || tokens->empty()) return std::nullopt;
  // The program itself is never a field code.
  if (!tokens->front().quoted && tokens->front().text.starts_with('%')) return std::nullopt;
  std::vector<std::string> args;
  bool took_document = false;
  for (const Token& token : *tokens) {
    // Field codes stand alone; in a quoted argument only %% means anything.
    if (!token.quoted && token.text.size() == 2 && token.text[0] == '%') {
      switch (token.text[1]) {
        case 'u':
        case 'U':
          args.emplace_back(url);
          took_document = true;
          continue;
        case 'f':
        case 'F':
          if (!local_file.empty()) args.emplace_back(local_file);
          took_document = true;
          continue;
        case 'i':
          if (!entry.icon.empty()) {
            args.emplace_back("--icon");
            args.push_back(entry.icon);
          }
          continue;
        case 'c':
          args.push_back(entry.name);
          continue;
        case 'k':
          args.push_back(entry.file.string());
          continue;
        case '%':
          args.emplace_back("%");
          continue;
        default:
          continue;  // %d %D %n %N %v %m: deprecated, dropped
      }
    }
    std::string arg;
    for (std::size_t i = 0; i < token.text.size(); ++i) {
      if (token.text[i] == '%' && i + 1 < token.text.size()) {
        const char code = token.text[++i];
        if (code == '%') {
          arg.push_back('%');
        } else if (!token.quoted && (code == 'u' || code == 'U')) {
          arg.append(url);
          took_document = true;
        } else if (!token.quoted && (code == 'f' || code == 'F')) {
          arg.append(local_file);
          took_document = true;
        } else if (token.quoted) {
          arg.push_back('%');
          arg.push_back(code);
        }
        continue;
      }
      arg.push_back(token.text[i]);
    }
    args.push_back(std::move(arg));
  }
  if (args.empty() || args.front().empty()) return std::nullopt;
  if (!took_document) args.emplace_back(url);
  return args;
}

}  // namespace corvane::desktop
