// Scanning helpers for the kernel's text files: lines, blank-separated fields and decimal
// numbers, over std::string_view without allocating. Pure functions; any thread.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvane::local::text {

// Takes the next line (without its '\n') off *rest. False when nothing is left.
inline bool NextLine(std::string_view* rest, std::string_view* line) {
  if (rest->empty()) return false;
  const void* newline = std::memchr(rest->data(), '\n', rest->size());
  if (newline == nullptr) {
    *line = *rest;
    *rest = {};
    return true;
  }
  const auto length = static_cast<std::size_t>(static_cast<const char*>(newline) - rest->data());
  *line = rest->substr(0, length);
  rest->remove_prefix(length + 1);
  return true;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Takes the next blank-separated field off *rest; empty when none is left.
inline std::string_view NextField(std::string_view* rest) {
  std::size_t begin = 0;
  while (begin < rest->size() && IsBlank((*rest)[begin])) ++begin;
  std::size_t end = begin;
  while (end < rest->size() && !IsBlank((*rest)[end])) ++end;
  const std::string_view field = rest->substr(begin, end - begin);
  rest->remove_prefix(end);
  return field;
}

inline std::string_view Trim(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

// The whole field as an unsigned decimal; false on anything else (sign, overflow, trailing text).
inline bool ParseU64(std::string_view field, std::uint64_t* value) {
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *value);
  return error == std::errc() && end == field.data() + field.size();
}

inline bool ParseI64(std::string_view field, std::int64_t* value) {
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *value);
  return error == std::errc() && end == field.data() + field.size();
}

inline bool ParseUnsigned(std::string_view field, unsigned* value) {
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *value);
  return error == std::errc() && end == field.data() + field.size();
}

inline bool ParseDouble(std::string_view field, double* value) {
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *value);
  return error == std::errc() && end == field.data() + field.size();
}

// The next field of *rest as an unsigned decimal.
inline bool NextU64(std::string_view* rest, std::uint64_t* value) {
  return ParseU64(NextField(rest), value);
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace corvane::local::text
