// The machine's processes, read from /proc.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace varnholt {

struct ProcessInfo {
  pid_t pid = 0;
  pid_t parent = 0;
  char state = '?';  // R, S, D, T (stopped), Z (zombie), ...
};

// A snapshot of every process; fails with the last error set when /proc cannot be read.
bool ListProcesses(std::vector<ProcessInfo>* processes);

// True when the process runs `file` (compared by identity, not by name); see ProgramIdentity,
// which checks many processes against one file more cheaply.
bool ProcessRunsFile(pid_t pid, const std::string& file);

// The process's state letter, or '\0' when it does not exist.
char ProcessState(pid_t pid);

// Sends SIGKILL; fails with the last error set.
bool KillProcess(pid_t pid);
// Sends SIGTERM.
bool AskProcessToEnd(pid_t pid);

pid_t OwnProcessId();

// Collects the exit of a child that has ended, so it does not linger as a zombie; nothing
// happens for a process that is not our child or still runs.
void ReapChild(pid_t pid);

}  // namespace varnholt
