#include "platform/confined_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

// The canonical form of an existing path, or empty when it cannot be resolved.
std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return std::string();
  return resolved;
}

bool Inside(const std::string& root, const std::string& real) {
  if (real == root) return true;
  const std::string prefix = root == "/" ? root : root + "/";
  return real.compare(0, prefix.size(), prefix) == 0;
}

bool Refuse(uint32_t code) {
  SetLastErrorCode(code);
  return false;
}

}  // namespace

bool ResolveConfinedPath(const std::string& folder, std::string_view relative, std::string* path) {
  std::string name(relative);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  if (name.empty() || name.front() == '/' || (name.size() >= 2 && name[1] == ':')) {
    return Refuse(kErrorInvalidName);
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return Refuse(kErrorInvalidName);
    start = end + 1;
  }
  if (name.back() == '/') return Refuse(kErrorInvalidName);

  const std::string root = RealPath(folder);
  if (root.empty()) return SetLastErrorFromErrno(errno);
  const std::string candidate = FindPathNoCase(folder, name);

  struct stat link_stat {};
  if (lstat(candidate.c_str(), &link_stat) == 0) {
    const std::string real = RealPath(candidate);
    // A dangling link: opening it for writing would create whatever it points at.
    if (real.empty() || !Inside(root, real)) return Refuse(kErrorAccessDenied);
  } else {
    // A new file: the nearest folder on its way that exists decides where it would land.
    std::string ancestor = candidate;
    std::string real;
    while (real.empty()) {
      const size_t slash = ancestor.find_last_of('/');
      if (slash == std::string::npos) return Refuse(kErrorAccessDenied);
      ancestor.resize(slash == 0 ? 1 : slash);
      real = RealPath(ancestor);
      if (slash == 0 && real.empty()) return Refuse(kErrorAccessDenied);
    }
    if (!Inside(root, real)) return Refuse(kErrorAccessDenied);
  }
  *path = candidate;
  return true;
}

}  // namespace varnholt
