#include "platform/service_notify.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/notify_socket.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::NotifySocket;
using testing::TempFolder;

// The variables are the process's own; each test puts back what it found.
class ServiceNotifyTest : public ::testing::Test {
 protected:
  ~ServiceNotifyTest() override {
    unsetenv("NOTIFY_SOCKET");
    unsetenv("WATCHDOG_USEC");
    unsetenv("WATCHDOG_PID");
  }
  TempFolder tmp_;
  SystemdNotifier notifier_;
};

TEST_F(ServiceNotifyTest, WithoutAServiceManagerMessagesAreDroppedQuietly) {
  unsetenv("NOTIFY_SOCKET");
  unsetenv("WATCHDOG_USEC");
  EXPECT_TRUE(notifier_.Notify("READY=1"));
  EXPECT_EQ(notifier_.WatchdogPeriodMs(), 0u);
}

TEST_F(ServiceNotifyTest, MessagesReachTheNotifySocket) {
  NotifySocket manager(tmp_.Sub("notify"));
  ASSERT_TRUE(manager.bound());
  setenv("NOTIFY_SOCKET", tmp_.Sub("notify").c_str(), 1);
  ASSERT_TRUE(notifier_.Notify("READY=1\nSTATUS=Server stopped"));
  EXPECT_EQ(manager.Receive(), "READY=1\nSTATUS=Server stopped");
  // Still there for the next message.
  ASSERT_TRUE(notifier_.Notify("STOPPING=1"));
  EXPECT_EQ(manager.Receive(), "STOPPING=1");
}

TEST_F(ServiceNotifyTest, WatchdogPeriodIsOursOnlyWhenMeantForThisProcess) {
  setenv("WATCHDOG_USEC", "30000000", 1);
  EXPECT_EQ(notifier_.WatchdogPeriodMs(), 30'000u);
  setenv("WATCHDOG_PID", std::to_string(getpid()).c_str(), 1);
  EXPECT_EQ(notifier_.WatchdogPeriodMs(), 30'000u);
  setenv("WATCHDOG_PID", std::to_string(getpid() + 1).c_str(), 1);
  EXPECT_EQ(notifier_.WatchdogPeriodMs(), 0u);
}

}  // namespace
}  // namespace varnholt
