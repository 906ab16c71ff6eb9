#include "platform/system_info.h"

#include <sys/utsname.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

std::string DistributionName() {
  std::string text;
  if (!ReadWholeFile("/etc/os-release", &text, 65536)) return std::string();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;
    if (line.starts_with("PRETTY_NAME=")) {
      line.remove_prefix(12);
      if (line.size() >= 2 && (line.front() == '"' || line.front() == '\'')) {
        line = line.substr(1, line.size() - 2);
      }
      return std::string(line);
    }
  }
  return std::string();
}

}  // namespace

bool GetSystemVersionText(std::string* text, int* version_code) {
  utsname name{};
  if (uname(&name) != 0) return SetLastErrorFromErrno(errno);
  *text = std::string(name.sysname) + " " + name.release;
  std::string distribution = DistributionName();
  if (!distribution.empty()) *text += " (" + distribution + ")";
  *version_code = kOsVersionLinux;
  return true;
}

std::string UserProfileFolder() {
  for (const char* name : {"USERPROFILE", "HOME"}) {
    if (const char* value = getenv(name); value != nullptr && value[0] != '\0') return value;
  }
  return std::string();
}

std::string DocumentsFolder() {
  if (const char* xdg = getenv("XDG_DOCUMENTS_DIR"); xdg != nullptr && xdg[0] != '\0') return xdg;
  if (const char* home = getenv("HOME"); home != nullptr && home[0] != '\0') {
    return JoinPath(home, "Documents");
  }
  return std::string();
}

}  // namespace varnholt
