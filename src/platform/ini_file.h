// A private-profile INI file: "[section]" headers and "key=value" lines. Reads go to the file
// each time; a write rewrites the whole file atomically, keeping other sections, keys,
// comments and their order.
#pragma once

#include <string>

namespace varnholt {

class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  // The value of `key` in `section` (both compared ignoring case), else `fallback`. The value
  // is trimmed of blanks and cut to `max_chars` characters.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback, size_t max_chars = 1023) const;
  // Sets or adds the key; creates the file and the section when missing.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace varnholt
