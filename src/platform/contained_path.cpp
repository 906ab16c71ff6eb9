#include "platform/contained_path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/last_error.h"

namespace varnholt {
namespace {

bool RealPath(const std::string& path, std::string* real) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) == nullptr) return SetLastErrorFromErrno(errno);
  *real = buffer;
  return true;
}

}  // namespace

bool IsInsideFolder(const std::string& folder, const std::string& path) {
  std::string real_folder;
  std::string real_path;
  if (!RealPath(folder, &real_folder) || !RealPath(path, &real_path)) return false;
  if (real_folder != "/") real_folder += '/';
  if (real_path.compare(0, real_folder.size(), real_folder) != 0) {
    SetLastErrorCode(kErrorAccessDenied);
    return false;
  }
  return true;
}

}  // namespace varnholt
