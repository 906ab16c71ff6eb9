#include "platform/process_launch.h"

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/last_error.h"

extern char** environ;

namespace varnholt {

pid_t LaunchProcess(const std::string& program, const std::vector<std::string>& args,
                    const std::string& folder) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  // Its own process group, so a Ctrl-C meant for the manager does not reach the server.
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  // A program named without a folder (a launch prefix such as "wine") is looked up in PATH.
  int rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    SetLastErrorFromErrno(rc);
    return -1;
  }
  return pid;
}

void ReapChildren() {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

bool GetProcessNice(pid_t pid, int* nice_value) {
  errno = 0;
  int value = getpriority(PRIO_PROCESS, static_cast<id_t>(pid));
  if (value == -1 && errno != 0) return SetLastErrorFromErrno(errno);
  *nice_value = value;
  return true;
}

bool SetProcessNice(pid_t pid, int nice_value) {
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice_value) != 0) {
    return SetLastErrorFromErrno(errno);
  }
  return true;
}

}  // namespace varnholt
