// The server's command line, with the owner's launch prefix in front of it (on Linux the
// Windows server runs under Wine: LaunchPrefix=wine in Varnholt.ini).
#pragma once

#include <string>
#include <vector>

namespace varnholt {

// The words of a launch prefix: split at blanks; a word may be put in double quotes to hold
// blanks ("\"/opt/wine staging/bin/wine\"").
std::vector<std::string> SplitLaunchPrefix(const std::string& prefix);

// The full argument vector of a launch: the prefix's words, the server executable, then the
// server's own switches.
std::vector<std::string> ServerCommandLine(const std::vector<std::string>& prefix,
                                           const std::string& executable, bool internet);

}  // namespace varnholt
