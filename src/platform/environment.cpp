#include "platform/environment.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/last_error.h"

namespace varnholt {

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string ConfigHomeFolder() {
  if (const char* xdg = getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
  if (const char* home = getenv("HOME"); home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config";
  }
  return std::string();
}

bool FilePermissions(const std::string& path, unsigned* mode) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return SetLastErrorFromErrno(errno);
  *mode = static_cast<unsigned>(st.st_mode & 07777);
  return true;
}

}  // namespace varnholt
