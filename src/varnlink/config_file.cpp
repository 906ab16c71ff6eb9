#include "varnlink/config_file.h"

#include <cstdio>

#include "platform/environment.h"
#include "platform/files.h"
#include "varnlink/arguments.h"

namespace varnholt::varnlink {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::string LineError(size_t line, const char* reason) {
  return "line " + std::to_string(line) + ": " + reason;
}

}  // namespace

bool ParseConfig(std::string_view text, Profiles* profiles, std::string* error) {
  profiles->clear();
  std::string section = kDefaultProfile;
  size_t number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) {
        *error = LineError(number, "a section is written [name]");
        return false;
      }
      section = std::string(Trim(line.substr(1, line.size() - 2)));
      if (section.empty()) {
        *error = LineError(number, "a section needs a name");
        return false;
      }
      (*profiles)[section];
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      *error = LineError(number, "expected key = value");
      return false;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string value(Trim(line.substr(equals + 1)));
    Profile& p = (*profiles)[section];
    if (key == "host") {
      p.host = value;
    } else if (key == "user") {
      p.user = value;
    } else if (key == "password") {
      p.password = value;
    } else if (key == "port") {
      uint16_t port = 0;
      if (!ParsePort(value, &port)) {
        *error = LineError(number, "port must be a number from 1 to 65535");
        return false;
      }
      p.port = port;
    } else {
      *error = LineError(number, "unknown key (host, port, user or password)");
      return false;
    }
  }
  return true;
}

std::string DefaultConfigPath() {
  const std::string home = ConfigHomeFolder();
  if (home.empty()) return std::string();
  return JoinPath(JoinPath(home, "varnlink"), "config");
}

bool LoadConfig(const std::string& path, Profiles* profiles, std::string* error) {
  profiles->clear();
  if (path.empty() || !FileExists(path)) return true;
  unsigned mode = 0;
  if (!FilePermissions(path, &mode)) {
    *error = path + ": cannot examine the file";
    return false;
  }
  // It holds passwords: nobody but its owner may read it, and no one else may write it.
  if ((mode & 077) != 0) {
    char text[160];
    snprintf(text, sizeof text, ": mode is %04o; it holds passwords, so it must be 0600",
             mode & 07777);
    *error = path + text;
    return false;
  }
  std::string contents;
  if (FileSize(path) > static_cast<int64_t>(kMaxConfigSize) ||
      !ReadWholeFile(path, &contents, kMaxConfigSize)) {
    *error = path + ": cannot be read, or larger than a config file can be";
    return false;
  }
  std::string reason;
  if (!ParseConfig(contents, profiles, &reason)) {
    *error = path + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace varnholt::varnlink
