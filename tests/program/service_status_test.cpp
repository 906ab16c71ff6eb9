#include "program/service_status.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/command_queue.h"
#include "platform/poll_event_loop.h"
#include "support/temp_folder.h"
#include "support/wait.h"

namespace varnholt {
namespace {

using testing::TempFolder;
using testing::WaitUntil;

class RecordingNotifier final : public ServiceNotifier {
 public:
  explicit RecordingNotifier(uint64_t watchdog_ms) : watchdog_ms_(watchdog_ms) {}
  bool Notify(const std::string& assignments) override {
    std::lock_guard<std::mutex> lock(mutex_);
    sent_.push_back(assignments);
    return true;
  }
  uint64_t WatchdogPeriodMs() const override { return watchdog_ms_; }
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(sent_, {});
  }

 private:
  uint64_t watchdog_ms_;
  std::mutex mutex_;
  std::vector<std::string> sent_;
};

// A worker whose Commands wait until the test lets them finish.
class ServiceStatusTest : public ::testing::Test {
 protected:
  ServiceStatusTest()
      : log_(tmp_.path(), clock_),
        queue_(clock_, log_),
        loop_(clock_),
        worker_(queue_, log_, clock_, [this](const Command&) {
          std::unique_lock<std::mutex> lock(mutex_);
          inside_ = true;
          released_cv_.wait(lock, [this] { return released_; });
          inside_ = false;
          released_ = false;
        }) {}
  ~ServiceStatusTest() override {
    Release();
    queue_.QueueCommand(kQuitCommand, "", 0, 0);
    worker_.WaitForExit(5000);
  }

  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    released_cv_.notify_all();
  }
  bool Inside() {
    std::lock_guard<std::mutex> lock(mutex_);
    return inside_;
  }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  CommandQueue queue_;
  PollEventLoop loop_;
  std::mutex mutex_;
  std::condition_variable released_cv_;
  bool inside_ = false;
  bool released_ = false;
  Worker worker_;
};

TEST(ServiceStatusText, SaysTheServerStateInWords) {
  EXPECT_EQ(ServiceStatusText({true, 14, true}), "Server running, 14 players, console connected");
  EXPECT_EQ(ServiceStatusText({true, 1, false}), "Server running, 1 player, console disconnected");
  EXPECT_EQ(ServiceStatusText({false, 3, true}), "Server stopped");
}

TEST_F(ServiceStatusTest, ReadySendsTheStateThenOnlyChangesUntilStopping) {
  RecordingNotifier notifier(0);
  ServiceStatus status(notifier, clock_, loop_, worker_);
  status.ReportReady({false, 0, false});
  status.ReportStatus({false, 0, false});
  status.ReportStatus({true, 2, true});
  status.ReportStatus({true, 2, true});
  status.ReportStopping();
  // A Command that ends during shutdown must not replace the stopping line.
  status.ReportStatus({true, 3, true});
  status.ReportStopping();
  EXPECT_EQ(notifier.Take(),
            (std::vector<std::string>{"READY=1\nSTATUS=Server stopped",
                                      "STATUS=Server running, 2 players, console connected",
                                      "STOPPING=1\nSTATUS=Stopping"}));
  // No watchdog was asked for, so there is no heartbeat.
  EXPECT_FALSE(status.Heartbeat());
}

TEST_F(ServiceStatusTest, HeartbeatStopsWhileTheWorkerIsStuckOrGone) {
  RecordingNotifier notifier(10'000);
  ServiceStatus status(notifier, clock_, loop_, worker_);
  status.ReportReady({false, 0, false});
  notifier.Take();
  EXPECT_FALSE(status.Heartbeat()) << "no worker thread yet";

  ASSERT_TRUE(worker_.Start());
  EXPECT_TRUE(status.Heartbeat());
  queue_.QueueCommand(0xB00B0005, "", 0, 0);
  ASSERT_TRUE(WaitUntil([this] { return Inside(); }));
  clock_.AdvanceMs(9'999);
  EXPECT_TRUE(status.Heartbeat()) << "a long Command is not yet a stuck one";
  clock_.AdvanceMs(1);
  EXPECT_FALSE(status.Heartbeat()) << "inside one Command for a whole period";
  Release();
  ASSERT_TRUE(WaitUntil([&] { return status.Heartbeat(); }));

  queue_.QueueCommand(kQuitCommand, "", 0, 0);
  ASSERT_TRUE(worker_.WaitForExit(5000));
  EXPECT_FALSE(status.Heartbeat()) << "the worker has ended";
  EXPECT_EQ(notifier.Take(), (std::vector<std::string>{"WATCHDOG=1", "WATCHDOG=1", "WATCHDOG=1"}));

  status.ReportStopping();
  EXPECT_FALSE(status.Heartbeat());
}

}  // namespace
}  // namespace varnholt
