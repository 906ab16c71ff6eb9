#include "platform/crash_report.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

TEST(CrashReportTest, FatalSignalWritesTheReportAndExitsWithOne) {
  testing::TempFolder tmp;
  std::string log_path = tmp.Sub("Varnholt.log");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CrashReportConfig config{log_path, "Ashfront Varnholt v2.0 beta 4g", "help@example.org"};
    InstallCrashReport(config);
    raise(SIGSEGV);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
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

}  // namespace
}  // namespace varnholt
