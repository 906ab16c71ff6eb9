#include "platform/editor.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <thread>

#include "platform/crash_report.h"
#include "platform/last_error.h"

extern char** environ;

namespace varnholt {
namespace {

std::vector<std::string> SplitWords(const char* text) {
  std::vector<std::string> words;
  std::string current;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ' || *p == '\t') {
      if (!current.empty()) words.push_back(std::move(current));
      current.clear();
    } else {
      current += *p;
    }
  }
  if (!current.empty()) words.push_back(std::move(current));
  return words;
}

bool SpawnDetached(const std::vector<std::string>& command) {
  if (command.empty() || command[0].empty()) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // No inherited signal mask, and a process group of its own so that a Ctrl-C meant for us
  // does not close the operator's editor.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
  // An editor may stay open long after we restart; it must not keep our sockets or files.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return SetLastErrorFromErrno(rc);
  // Someone else reaping all children first is harmless: the wait then just returns.
  std::thread([pid] {
    InstallCrashStack();
    waitpid(pid, nullptr, 0);
  }).detach();
  return true;
}

}  // namespace

std::vector<std::string> TextEditorCommand() {
  for (const char* name : {"VISUAL", "EDITOR"}) {
    const char* value = getenv(name);
    if (value == nullptr) continue;
    std::vector<std::string> words = SplitWords(value);
    if (!words.empty()) return words;
  }
  return {"xdg-open"};
}

bool OpenInTextEditor(const std::string& path) {
  std::vector<std::string> command = TextEditorCommand();
  command.push_back(path);
  return SpawnDetached(command);
}

bool StartProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> command{program};
  command.insert(command.end(), args.begin(), args.end());
  return SpawnDetached(command);
}

}  // namespace varnholt
