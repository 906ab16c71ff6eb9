#include "platform/crash_report.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

// Runs `body` in a child process and gives its exit code; a child ended by a signal, which
// means no report was written, fails the test.
int ExitCodeOfChild(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CrashReportTest, FatalSignalWritesTheReportAndExitsWithOne) {
  testing::TempFolder tmp;
  std::string log_path = tmp.Sub("Varnholt.log");
  EXPECT_EQ(
      ExitCodeOfChild([&] {
        CrashReportConfig config{log_path, "Ashfront Varnholt v2.0 beta 4g", "help@example.org"};
        InstallCrashReport(config);
        raise(SIGSEGV);
      }),
      1);
  std::string log = tmp.Read("Varnholt.log");
  std::string dashes(87, '-');
  EXPECT_NE(log.find(" : " + dashes + "\r\n"), std::string::npos);
  EXPECT_NE(log.find("help@example.org"), std::string::npos);
  EXPECT_NE(log.find(" : Ashfront Varnholt v2.0 beta 4g\r\n"), std::string::npos);
  EXPECT_NE(log.find(" : Exception code   : 0x0000000B\r\n"), std::string::npos);
  EXPECT_NE(log.find(" : EAX="), std::string::npos);
  EXPECT_NE(log.find(" : Stack trace:\r\n"), std::string::npos);
  // The report ends with the dashed line again.
  EXPECT_EQ(log.rfind(dashes + "\r\n"), log.size() - dashes.size() - 2);
}

TEST(CrashReportTest, WithTheEventLogOffTheReportGoesToStandardErrorOnly) {
  testing::TempFolder tmp;
  std::string log_path = tmp.Sub("Varnholt.log");
  std::string stderr_path = tmp.Sub("stderr.txt");
  EXPECT_EQ(ExitCodeOfChild([&] {
              int fd = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
              dup2(fd, STDERR_FILENO);
              InstallCrashReport({log_path, "Ashfront Varnholt v2.0 beta 4g", "help@example.org"});
              SetCrashReportToLog(false);
              raise(SIGSEGV);
            }),
            1);
  EXPECT_FALSE(std::filesystem::exists(log_path));
  EXPECT_NE(tmp.Read("stderr.txt").find(" : Exception code   : 0x0000000B\r\n"), std::string::npos);
}

// A thread of its own with its own stack: the report is written although the thread's stack
// is used up, and the stack is released again when a thread ends normally.
[[gnu::noinline]] int Recurse(int depth) {
  volatile char frame[2048];
  frame[0] = static_cast<char>(depth);
  if (depth == INT_MAX) return frame[0];
  return Recurse(depth + 1) + frame[0];
}

TEST(CrashReportTest, AnOverflowOnAThreadWithItsOwnStackIsReported) {
  testing::TempFolder tmp;
  std::string log_path = tmp.Sub("Varnholt.log");
  EXPECT_EQ(ExitCodeOfChild([&] {
              InstallCrashReport({log_path, "Ashfront Varnholt v2.0 beta 4g", "help@example.org"});
              // Many short-lived threads first: each one's stack comes and goes with it.
              for (int i = 0; i < 200; ++i) {
                std::thread([] { InstallCrashStack(); }).join();
              }
              std::thread([] {
                InstallCrashStack();
                Recurse(0);
              }).join();
            }),
            1);
  EXPECT_NE(tmp.Read("Varnholt.log").find(" : Stack trace:\r\n"), std::string::npos);
}

}  // namespace
}  // namespace varnholt
