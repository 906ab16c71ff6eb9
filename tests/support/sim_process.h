// The substitute game server as a real child process in a game folder: started with the
// game's switches, its ports read from its output, driven through its control file, and
// killed when the test ends (its output is printed when the test failed). The test target
// defines ASHFRONT_SIM_PATH.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/sim_launch.h"
#include "support/wait.h"

namespace varnholt::testing {

class SimProcess {
 public:
  SimProcess() = default;
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;
  ~SimProcess() {
    Kill();
    // What the sim said is the first thing to look at when a test against it failed.
    if (::testing::Test::HasFailure() && !folder_.empty()) {
      std::string out = Output();
      if (out.size() > 4000) out = "..." + out.substr(out.size() - 4000);
      fprintf(stderr, "--- sim output ---\n%s--- end of sim output ---\n", out.c_str());
    }
  }

  // Starts the sim in `folder` with the game's dedicated-server switches and `options`;
  // waits until it reports its ports. False when it did not come up.
  bool Start(const std::string& folder, const std::vector<std::string>& options) {
    folder_ = folder;
    std::vector<std::string> args = {"+restart", "1", "+dedicated", "1", "+hostServer", "1"};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = LaunchSim(ASHFRONT_SIM_PATH, folder_, args);
    SimPorts ports;
    if (pid_ < 0 || !WaitForSimPorts(pid_, folder_, kPatienceMs, &ports)) return false;
    console_port_ = ports.console;
    query_port_ = ports.query;
    return true;
  }

  int console_port() const { return console_port_; }
  int query_port() const { return query_port_; }
  pid_t pid() const { return pid_; }

  // Waits up to `timeout_ms` for the process to end; false if it still runs.
  bool WaitExit(int timeout_ms, int* status) {
    if (pid_ <= 0) return false;
    return WaitUntil(
        [&] {
          int st = 0;
          if (waitpid(pid_, &st, WNOHANG) != pid_) return false;
          pid_ = -1;
          if (status != nullptr) *status = st;
          return true;
        },
        timeout_ms);
  }

  // Writes a command into the control file, as a test or a demo script would. Written aside
  // and renamed, so the sim never reads half a command.
  void Control(const std::string& command) {
    const std::string path = folder_ + "/ashfront-sim.control";
    FILE* file = fopen((path + ".new").c_str(), "w");
    if (file == nullptr) return;
    fprintf(file, "%s\n", command.c_str());
    fclose(file);
    rename((path + ".new").c_str(), path.c_str());
  }

  std::string Output() const { return SimOutput(folder_); }
  bool WaitForOutput(const std::string& text, int timeout_ms = kPatienceMs) const {
    return WaitUntil([&] { return Output().find(text) != std::string::npos; }, timeout_ms);
  }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGCONT);
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  std::string folder_;
  pid_t pid_ = -1;
  int console_port_ = 0;
  int query_port_ = 0;
};

}  // namespace varnholt::testing
