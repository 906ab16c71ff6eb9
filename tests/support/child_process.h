// Starts a real program as a child process in a chosen folder, with its standard error kept
// in a file, and waits for it with a bounded wait. The child is killed if the test ends first.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/file_text.h"
#include "support/wait.h"

namespace varnholt::testing {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Kill(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // `env` entries ("NAME=value") are added to the test's own environment.
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& folder, const std::vector<std::string>& env = {},
             const std::string& stderr_path = "") {
    exited_ = false;
    status_ = -1;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      if (chdir(folder.c_str()) != 0) _exit(127);
      for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
      int null_fd = open("/dev/null", O_RDWR);
      dup2(null_fd, 0);
      dup2(null_fd, 1);
      if (!stderr_path.empty()) {
        int fd = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 2);
      }
      // Undo signal masks inherited from the test runner.
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    return true;
  }

  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0 && !exited_; }

  // Waits up to `timeout_ms`; true when the child ended, with its exit code in `code`
  // (128 + signal when it was killed by one).
  bool Wait(int timeout_ms, int* code = nullptr) {
    if (pid_ <= 0) return false;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!exited_) {
      int status = 0;
      pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        exited_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (r < 0 && errno == ECHILD) {
        // Reaped by the code under test (it waits for the servers it stops).
        exited_ = true;
        break;
      }
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (code != nullptr) *code = status_;
    return true;
  }

  void Signal(int signo) {
    if (running()) kill(pid_, signo);
  }

  void Kill() {
    if (running()) {
      kill(pid_, SIGKILL);
      Wait(5000);
    }
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = -1;
};

}  // namespace varnholt::testing
