// The text of one settings hive: INI sections named by registry key paths, holding string
// values. Parsing keeps comments, blank lines and lines it does not understand, so a
// hand-edited file survives a rewrite. A plain value; one thread at a time.
//
// File form:
//   [Software\Quillfen\Corvane\Service]
//   Profile=/home/ann/Server.crvn
//
// Section names are key paths taken verbatim between "[" and the last "]" of the line. Value
// names and values are escaped so that any byte survives:
//   "\\" backslash, "\n" line feed, "\r" carriage return, "\t" tab, "\xHH" any other control
//   byte (below 0x20, and 0x7f). A space at either end of a value or name is written "\x20",
//   because surrounding blanks are trimmed when reading. In names "=" is written "\x3D", a
//   leading "[", ";", "#" or "@" as "\xHH", and the empty (default) value name as "@".
//   Bytes from 0x80 up (UTF-8 text) are written as they are.
// A backslash that starts none of these escapes reads as itself, so "C:\Users" typed by hand
// reads back unchanged, while a literal "\n" in a value must be written "\\n".
// Lines starting with ";" or "#" are comments. Key paths and value names compare without
// regard to ASCII case, as registry names do; the spelling first written is kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::host {

class IniDocument {
 public:
  static IniDocument Parse(std::string_view text);
  std::string Serialize() const;

  // A key exists when its own section exists or a section lies below it ("Software" exists
  // once "Software\Quillfen" does). The empty path is the hive's root, which always exists.
  bool HasKey(std::string_view key) const;
  void CreateKey(std::string_view key);

  // Nothing when the key's own section or the value is missing.
  std::optional<std::string> Value(std::string_view key, std::string_view name) const;
  // Creates the key's section when it has none.
  void SetValue(std::string_view key, std::string_view name, std::string_view value);
  // False when there was no such value.
  bool DeleteValue(std::string_view key, std::string_view name);

 private:
  struct Line {
    bool is_value = false;
    std::string name;   // unescaped; value lines only
    std::string value;  // unescaped; value lines only
    std::string raw;    // the line as read, for comments, blanks and unknown lines
  };
  struct Section {
    std::string key;
    std::vector<Line> lines;
  };

  Section* FindSection(std::string_view key);
  const Section* FindSection(std::string_view key) const;
  Section& AddSection(std::string_view key);

  std::vector<std::string> preamble_;  // raw lines before the first section
  std::vector<Section> sections_;
};

// Escaping of one value or value name, as described above.
std::string EscapeIniValue(std::string_view value);
std::string EscapeIniName(std::string_view name);
std::string UnescapeIni(std::string_view text);

// Removes leading and trailing backslashes. Returns nothing for a path that cannot name a key:
// an empty component ("A\\B") or a control byte, which a section line could not hold.
std::optional<std::string> NormalizeKeyPath(std::string_view key);

}  // namespace corvane::host
