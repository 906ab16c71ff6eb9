#include "platform/processes.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/process_identity.h"

namespace varnholt {
namespace {

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

bool ReadStat(pid_t pid, ProcessInfo* info) {
  std::string text;
  if (!ReadWholeFile("/proc/" + std::to_string(pid) + "/stat", &text, 4096)) return false;
  // "pid (comm) S ppid ...": the name may hold blanks and parentheses, so look from the end.
  size_t close = text.rfind(')');
  if (close == std::string::npos || close + 4 > text.size()) return false;
  info->pid = pid;
  info->state = text[close + 2];
  info->parent = static_cast<pid_t>(strtol(text.c_str() + close + 4, nullptr, 10));
  return true;
}

}  // namespace

bool ListProcesses(std::vector<ProcessInfo>* processes) {
  processes->clear();
  std::unique_ptr<DIR, DirCloser> dir(opendir("/proc"));
  if (!dir) return SetLastErrorFromErrno(errno);
  while (dirent* e = readdir(dir.get())) {
    char* end = nullptr;
    long pid = strtol(e->d_name, &end, 10);
    if (end == e->d_name || *end != '\0' || pid <= 0) continue;
    ProcessInfo info;
    if (ReadStat(static_cast<pid_t>(pid), &info)) processes->push_back(info);
  }
  return true;
}

bool ProcessRunsFile(pid_t pid, const std::string& file) {
  return ProgramIdentity(file).RunBy(pid);
}

char ProcessState(pid_t pid) {
  ProcessInfo info;
  if (!ReadStat(pid, &info)) return '\0';
  return info.state;
}

bool KillProcess(pid_t pid) {
  if (pid <= 0 || kill(pid, SIGKILL) != 0) return SetLastErrorFromErrno(pid <= 0 ? EINVAL : errno);
  return true;
}

bool AskProcessToEnd(pid_t pid) {
  if (pid <= 0 || kill(pid, SIGTERM) != 0) return SetLastErrorFromErrno(pid <= 0 ? EINVAL : errno);
  return true;
}

pid_t OwnProcessId() {
  return getpid();
}

void ReapChild(pid_t pid) {
  if (pid > 0) waitpid(pid, nullptr, WNOHANG);
}

}  // namespace varnholt
