// A whole file as text, for tests that look at what the program wrote.
#pragma once

#include <cstdio>
#include <string>

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

}  // namespace varnholt::testing
