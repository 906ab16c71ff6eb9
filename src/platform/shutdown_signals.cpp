#include "platform/shutdown_signals.h"

#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace varnholt {

int OpenShutdownSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
  return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

void TakeShutdownSignals(int fd, const std::function<void(int signal)>& on_signal) {
  signalfd_siginfo info{};
  while (read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    if (on_signal) on_signal(static_cast<int>(info.ssi_signo));
  }
}

void CloseShutdownSignals(int fd) {
  if (fd >= 0) close(fd);
}

}  // namespace varnholt
