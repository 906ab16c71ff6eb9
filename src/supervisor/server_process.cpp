#include "supervisor/server_process.h"

#include <vector>

#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/process_identity.h"
#include "platform/processes.h"

namespace varnholt {

std::string ServerExecutablePath(const std::string& game_folder) {
  return FindPathNoCase(game_folder, kServerExecutable);
}

ServerProcess::ServerProcess(std::string game_folder, EventLog& log, const Clock& clock)
    : game_folder_(std::move(game_folder)), log_(log), clock_(clock) {}

bool ServerProcess::FindServerProcess(int32_t* pid) {
  ProgramIdentity server(ServerExecutablePath(game_folder_));
  // The recorded process is checked on its own first: the monitor asks every tick, and a
  // walk of every process is needed only to adopt a server or to find a launcher's child.
  if (*pid > 0) {
    char state = ProcessState(*pid);
    if (state == '\0' || state == 'Z') {
      // Gone, and its children (if any) have been handed to another parent.
      ClearLastError();
      return false;
    }
    if (server.RunBy(*pid)) return true;
  }
  std::vector<ProcessInfo> processes;
  if (!ListProcesses(&processes)) {
    log_.LogMessage(kSoundNone, "Couldn't take a process snapshot! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  for (const ProcessInfo& p : processes) {
    // Zombies have no executable any more and are not a running server.
    if (p.state == 'Z') continue;
    if (*pid != kAnyPid && p.parent != *pid) continue;
    if (!server.RunBy(p.pid)) continue;
    *pid = p.pid;
    return true;
  }
  ClearLastError();
  return false;
}

bool ServerProcess::TerminateServer(int32_t pid) {
  if (pid <= 0) return false;
  log_.LogMessage(kSoundNone, "Terminating server with extreme prejudice!\n");
  return KillProcess(pid);
}

bool ServerProcess::WaitForExit(int32_t pid, uint32_t timeout_ms) {
  // Counted in real 50 ms pauses, so an injected clock cannot stretch the wait.
  for (uint32_t waited = 0;; waited += 50) {
    // Reap it if it is our child, so it does not linger as a zombie.
    ReapChild(pid);
    char state = ProcessState(pid);
    if (state == '\0' || state == 'Z') return true;
    if (waited >= timeout_ms) return false;
    PauseMs(50);
  }
}

void ServerProcess::StopProcess(int32_t pid, bool quit_sent) {
  if (pid <= 0) return;
  bool asked = quit_sent || AskProcessToEnd(pid);
  if (asked) WaitForExit(pid, 4000);
  int32_t found = pid;
  if (FindServerProcess(&found)) {
    TerminateServer(found);
    WaitForExit(found, 1000);
  }
}

}  // namespace varnholt
