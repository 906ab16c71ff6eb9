// The game server process: finding it among the machine's processes, ending it and
// terminating it. Owns ServerPid and ServerRunning. The user-interface thread and the worker
// both read them, so they are atomics; starts and stops themselves are serialised by the
// caller (they run on the worker, or on the user-interface thread before the worker exists
// and after it has ended).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "log/event_log.h"
#include "platform/clock.h"

namespace varnholt {

constexpr const char* kServerExecutable = "ashfront_w32ded.exe";
constexpr int32_t kAnyPid = -1;

// The server executable of a game folder, found ignoring case.
std::string ServerExecutablePath(const std::string& game_folder);

class ServerProcess {
 public:
  ServerProcess(std::string game_folder, EventLog& log, const Clock& clock);

  // Searches the process list for the server of this game folder. `pid` may be kAnyPid; it is
  // replaced by the server's id when it names the server's parent (a launcher) or is "any".
  bool FindServerProcess(int32_t* pid);
  // Forced termination; false (silently) when the process cannot be signalled.
  bool TerminateServer(int32_t pid);
  // Ends the server process: after a "quit" that reached it (`quit_sent`) it gets 4 s to
  // go; otherwise it is asked with SIGTERM and given the same time. A server still found
  // afterwards is terminated.
  void StopProcess(int32_t pid, bool quit_sent);

  int32_t ServerPid() const { return server_pid_; }
  void SetServerPid(int32_t pid) { server_pid_ = pid; }
  bool ServerRunning() const { return server_running_; }
  void SetServerRunning(bool running) { server_running_ = running; }

 private:
  bool WaitForExit(int32_t pid, uint32_t timeout_ms);

  std::string game_folder_;
  EventLog& log_;
  const Clock& clock_;
  std::atomic<int32_t> server_pid_{0};
  std::atomic<bool> server_running_{false};
};

}  // namespace varnholt
