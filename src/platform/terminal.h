// The controlling terminal, for programs that talk to a person: whether a stream is a
// terminal, and a line typed without echo (passwords).
#pragma once

#include <string>

namespace varnholt {

constexpr int kStdinFd = 0;
constexpr int kStdoutFd = 1;
constexpr int kStderrFd = 2;

bool IsTerminal(int fd);

// Writes `prompt` to standard error and reads one line from standard input with echo turned
// off (restored afterwards, also when reading fails). The line feed is not kept. False with
// the last error when standard input is no terminal or the line cannot be read.
bool ReadHiddenLine(const char* prompt, std::string* line);

}  // namespace varnholt
