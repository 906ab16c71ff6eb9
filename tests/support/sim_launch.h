// Starting the real ashfront-sim from tests: in its game folder, with its output kept in
// sim.out there, ready once it reports the ports it listens on.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/file_text.h"

namespace varnholt::testing {

struct SimPorts {
  int console = 0;  // 0 when the remote console is off
  int query = 0;
};

inline std::string SimOutput(const std::string& folder) {
  return ReadFileText(folder + "/sim.out");
}

// Starts `sim_path` in `folder` with `args` after the program name; its output goes to
// sim.out, emptied first. Returns the pid, or -1.
inline pid_t LaunchSim(const std::string& sim_path, const std::string& folder,
                       const std::vector<std::string>& args) {
  std::string out_path = folder + "/sim.out";
  unlink(out_path.c_str());  // the output of an earlier run must not be taken for this one
  std::vector<std::string> argv_text = {"ashfront_w32ded.exe"};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    int fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) _exit(126);
    dup2(fd, 1);
    dup2(fd, 2);
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(sim_path.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// Waits until the sim reports its status query port (and its console port, if it has one).
// False when it ended first or did not report within `timeout_ms`; a sim that ended is left
// unreaped for the caller.
inline bool WaitForSimPorts(pid_t pid, const std::string& folder, int timeout_ms, SimPorts* ports) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (SimOutput(folder).find("Status query listening on") == std::string::npos) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid) {
      return false;
    }
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::string out = SimOutput(folder);
  std::smatch m;
  if (std::regex_search(out, m, std::regex("Console listening on [0-9.]+:([0-9]+)"))) {
    ports->console = std::stoi(m[1]);
  }
  if (std::regex_search(out, m, std::regex("Status query listening on [0-9.]+:([0-9]+)"))) {
    ports->query = std::stoi(m[1]);
  }
  return ports->query != 0;
}

}  // namespace varnholt::testing
