#include "platform/ini_file.h"

#include <vector>

#include "platform/ascii_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

// "[name]" -> name, else empty.
bool SectionName(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  *name = Trim(t.substr(1, t.size() - 2));
  return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(line.substr(0, eq));
  *value = Trim(line.substr(eq + 1));
  return !key->empty() && (*key)[0] != ';';
}

}  // namespace

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback, size_t max_chars) const {
  std::string text;
  std::string result = fallback;
  if (ReadWholeFile(path_, &text, 1u << 20)) {
    bool in_section = false;
    for (const std::string& line : SplitLines(text)) {
      std::string name, k, v;
      if (SectionName(line, &name)) {
        in_section = EqualsNoCase(name, section);
      } else if (in_section && KeyOf(line, &k, &v) && EqualsNoCase(k, key)) {
        result = v;
        break;
      }
    }
  }
  if (result.size() > max_chars) result.resize(max_chars);
  return result;
}

bool IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  std::string text;
  if (!ReadWholeFile(path_, &text, 1u << 20) && GetLastErrorCode() != kErrorFileNotFound) {
    return false;
  }
  std::vector<std::string> lines = SplitLines(text);
  bool in_section = false;
  bool section_seen = false;
  size_t insert_at = lines.size();
  bool done = false;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    std::string name, k, v;
    if (SectionName(lines[i], &name)) {
      if (in_section) {
        insert_at = i;
        break;
      }
      in_section = EqualsNoCase(name, section);
      if (in_section) {
        section_seen = true;
        insert_at = i + 1;
      }
    } else if (in_section) {
      if (KeyOf(lines[i], &k, &v) && EqualsNoCase(k, key)) {
        lines[i] = k + "=" + value;
        done = true;
      } else if (!Trim(lines[i]).empty()) {
        insert_at = i + 1;
      }
    }
  }
  if (!done) {
    if (!section_seen) {
      lines.push_back("[" + section + "]");
      insert_at = lines.size();
    }
    lines.insert(lines.begin() + static_cast<long>(insert_at), key + "=" + value);
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return WriteWholeFile(path_, out);
}

}  // namespace varnholt
