#include "platform/linux/proc/instance_names.h"

namespace corvane::local {
namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

void UnescapeOctal(std::string_view text, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) && IsOctal(text[i + 2]) &&
        IsOctal(text[i + 3])) {
      const int code = (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0');
      if (code < 256) {
        out->push_back(static_cast<char>(code));
        i += 3;
        continue;
      }
    }
    out->push_back(text[i]);
  }
}

}  // namespace corvane::local
