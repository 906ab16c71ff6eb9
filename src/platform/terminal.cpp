#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/last_error.h"

namespace varnholt {

bool IsTerminal(int fd) {
  return isatty(fd) == 1;
}

bool ReadHiddenLine(const char* prompt, std::string* line) {
  line->clear();
  termios saved{};
  if (tcgetattr(kStdinFd, &saved) != 0) return SetLastErrorFromErrno(errno);
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  fputs(prompt, stderr);
  fflush(stderr);
  if (tcsetattr(kStdinFd, TCSAFLUSH, &quiet) != 0) return SetLastErrorFromErrno(errno);
  bool ended = false;
  int error = 0;
  for (;;) {
    char c = 0;
    const ssize_t got = read(kStdinFd, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    if (c == '\n') {
      ended = true;
      break;
    }
    // A password has no business being longer than a login field; the rest is dropped.
    if (line->size() < 256) line->push_back(c);
  }
  tcsetattr(kStdinFd, TCSAFLUSH, &saved);
  if (error != 0) return SetLastErrorFromErrno(error);
  return ended || !line->empty();
}

}  // namespace varnholt
