// Whole files as text, for tests and benchmarks that set up or look at what the program
// reads and writes.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace varnholt::testing {

// The file's bytes, or "" when it cannot be opened.
inline std::string ReadFileText(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return text;
  char buffer[8192];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  fclose(file);
  return text;
}

// Writes `text` as the whole file, creating its folders; false when it could not.
inline bool WriteFileText(const std::string& path, std::string_view text) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

// Adds `text` at the end of the file; false when it could not.
inline bool AppendFileText(const std::string& path, std::string_view text) {
  FILE* file = fopen(path.c_str(), "ab");
  if (file == nullptr) return false;
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  return fclose(file) == 0 && written;
}

inline bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

}  // namespace varnholt::testing
