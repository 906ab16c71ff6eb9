// Whether a file really lies inside a folder once every symbolic link on the way is
// followed, so a name that looks local cannot lead elsewhere.
#pragma once

#include <string>

namespace varnholt {

// True when `path` exists and, with every link resolved, lies inside `folder` (also
// resolved). False with the mapped errno when either cannot be resolved, and with 5 (access
// denied) when the file lies outside.
bool IsInsideFolder(const std::string& folder, const std::string& path);

}  // namespace varnholt
