// A fault in a Command on the worker thread is reported like one on the main thread, also
// when the fault is the worker's own stack running out.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>
#include <thread>

#include "core/worker.h"
#include "platform/crash_report.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

// Each frame keeps a real buffer, so the recursion cannot be folded into a loop.
[[gnu::noinline]] int Recurse(int depth) {
  volatile char frame[2048];
  frame[0] = static_cast<char>(depth);
  if (depth == INT_MAX) return frame[0];
  return Recurse(depth + 1) + frame[0];
}

// Runs `body` in a child process and returns how it ended: its exit code, or 128 + the
// signal that killed it, or -1 when it did not end within ten seconds.
template <typename Body>
int RunInChild(Body body) {
  pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    body();
    _exit(0);
  }
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= end) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(WorkerCrashTest, AStackOverflowInACommandIsReportedInTheLog) {
  TempFolder tmp;
  int how = RunInChild([&] {
    ManualClock clock;
    EventLog log(tmp.path(), clock);
    CommandQueue queue(clock, log);
    Worker worker(queue, log, clock, [](const Command&) { Recurse(0); });
    // The order of start-up: the worker runs before the report is installed.
    if (!worker.Start()) _exit(2);
    InstallCrashReport({log.LogPath(), kProgramBanner, "help@example.org"});
    queue.QueueCommand(0xB00B0010, "", 0, 0);
    worker.Join();
    _exit(3);
  });
  EXPECT_EQ(how, 1) << "1 is the report's exit code; 139 a death without a report";
  std::string report = tmp.Read("Varnholt.log");
  EXPECT_NE(report.find(" : Exception code   : 0x0000000B\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find(" : Stack trace:\r\n"), std::string::npos);
  std::string dashes(87, '-');
  EXPECT_EQ(report.rfind(dashes + "\r\n"), report.size() - dashes.size() - 2);
}

}  // namespace
}  // namespace varnholt
