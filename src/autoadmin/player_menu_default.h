// The default player menu written to PlayerMenu.con when the file is missing (or is the
// 20-byte stub an old installation shipped).
#pragma once

#include <string>

namespace varnholt {

// 137 lines ended by CR LF, followed by one zero byte.
std::string DefaultPlayerMenuText();

}  // namespace varnholt
