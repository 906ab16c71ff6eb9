// varnlink from its command line to its exit code: options, profile and password, the
// connection and login, then the command.
#pragma once

#include <string>
#include <vector>

#include "varnlink/output.h"

namespace varnholt::varnlink {

// The --help text: usage, commands with the right each needs, exit codes.
std::string UsageText();

// The message for a refused login's result byte (1 to 7) on one line.
std::string LoginResultText(int result);

// Runs varnlink with the arguments after the program name.
int RunClient(const std::vector<std::string>& argv, Output& out);

}  // namespace varnholt::varnlink
