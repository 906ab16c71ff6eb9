#include "platform/processes.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/files.h"
#include "platform/last_error.h"

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

bool SameFile(const struct stat& a, const std::string& path) {
  struct stat b {};
  return stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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
  struct stat target {};
  if (stat(file.c_str(), &target) != 0) return false;
  std::string base = "/proc/" + std::to_string(pid);
  if (SameFile(target, base + "/exe")) return true;
  // An interpreter running the file as its script: "/bin/sh /game/ashfront_w32ded.exe ...".
  std::string cmdline;
  if (!ReadWholeFile(base + "/cmdline", &cmdline, 65536)) return false;
  std::string cwd;
  char buf[4096];
  ssize_t n = readlink((base + "/cwd").c_str(), buf, sizeof buf - 1);
  if (n > 0) cwd.assign(buf, static_cast<size_t>(n));
  size_t pos = cmdline.find('\0');
  for (int arg = 1; arg <= 2 && pos != std::string::npos && pos + 1 < cmdline.size(); ++arg) {
    size_t start = pos + 1;
    pos = cmdline.find('\0', start);
    std::string word =
        cmdline.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (word.empty() || word[0] == '-') continue;  // interpreter options
    std::string path = word[0] == '/' ? word : JoinPath(cwd, word);
    if (SameFile(target, path)) return true;
  }
  return false;
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
