// ASCII case helpers: the game compares the names of mods, levels, modes, archive entries,
// setting keys and console values without regard to case, and so does the program. One set
// of rules (ASCII letters only, whatever the locale) for every comparison.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace varnholt {

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

inline std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

constexpr bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

constexpr bool IsAsciiHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Exactly `length` hexadecimal digits (a keyhash or a PunkBuster GUID has 32).
constexpr bool IsHexText(std::string_view text, size_t length) {
  if (text.size() != length) return false;
  for (char c : text) {
    if (!IsAsciiHexDigit(c)) return false;
  }
  return true;
}

// <0, 0 or >0 as `a` sorts before, with or after `b`, ignoring case.
constexpr int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
    const unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The first `limit` characters.
inline std::string Cut(std::string_view text, size_t limit) {
  return std::string(text.substr(0, std::min(limit, text.size())));
}

}  // namespace varnholt
