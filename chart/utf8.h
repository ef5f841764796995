// UTF-8 decoding for text measurement and output, and cut points that keep multi-byte
// characters whole. Pure functions; any thread.
//
// Counter names come from the kernel (mount points, interface names) and from profiles, so
// they are bytes that are usually, but not always, UTF-8. Decoding never fails: a byte that
// does not start a well-formed sequence (RFC 3629: no overlong forms, no surrogates, nothing
// above U+10FFFF) decodes as U+FFFD and consumes one byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::chart::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;
// U+FFFD as UTF-8, for output that must replace what did not decode.
inline constexpr std::string_view kReplacementBytes = "\xEF\xBF\xBD";

// True for the bytes 10xxxxxx, which never begin a character.
constexpr bool IsContinuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

// Decodes the character at *pos and moves *pos past it. *pos must be < text.size().
constexpr char32_t Decode(std::string_view text, std::size_t* pos) {
  const auto lead = static_cast<unsigned char>(text[*pos]);
  if (lead < 0x80U) {
    ++*pos;
    return lead;
  }
  std::size_t length = 0;
  char32_t code = 0;
  char32_t lowest = 0;  // smallest code point this length may encode
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
    code = lead & 0x1FU;
    lowest = 0x80;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
    code = lead & 0x0FU;
    lowest = 0x800;
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
    code = lead & 0x07U;
    lowest = 0x10000;
  } else {
    ++*pos;
    return kReplacement;
  }
  if (text.size() - *pos < length) {
    ++*pos;
    return kReplacement;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const char byte = text[*pos + i];
    if (!IsContinuation(byte)) {
      ++*pos;
      return kReplacement;
    }
    code = (code << 6) | (static_cast<unsigned char>(byte) & 0x3FU);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++*pos;
    return kReplacement;
  }
  *pos += length;
  return code;
}

// Appends `code` (at most U+10FFFF, no surrogate) to *out as UTF-8.
inline void Append(char32_t code, std::string* out) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | (code >> 6));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | (code >> 12));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (code >> 18));
    *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Whether the character Decode read from `from` up to `to` was malformed: U+FFFD from one
// byte, as a well-formed U+FFFD takes three.
constexpr bool WasMalformed(char32_t code, std::size_t from, std::size_t to) {
  return code == kReplacement && to - from == 1;
}

// The longest prefix of at most `bytes` bytes that does not end inside a character. Steps
// back over at most three continuation bytes, the most a well-formed character has.
constexpr std::string_view HeadWithin(std::string_view text, std::size_t bytes) {
  if (bytes >= text.size()) return text;
  std::size_t cut = bytes;
  while (cut > 0 && bytes - cut < 3 && IsContinuation(text[cut])) --cut;
  return text.substr(0, cut);
}

// The longest suffix of at most `bytes` bytes that does not begin inside a character (again
// skipping at most three continuation bytes).
constexpr std::string_view TailWithin(std::string_view text, std::size_t bytes) {
  if (bytes >= text.size()) return text;
  std::size_t start = text.size() - bytes;
  const std::size_t first = start;
  while (start < text.size() && start - first < 3 && IsContinuation(text[start])) ++start;
  return text.substr(start);
}

}  // namespace corvane::chart::utf8
