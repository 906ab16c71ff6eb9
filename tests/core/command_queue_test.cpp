#include "core/command_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/worker.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class CommandQueueTest : public ::testing::Test {
 protected:
  CommandQueueTest() : log_(tmp_.path(), clock_), queue_(clock_, log_) {}

  // Takes every executable Command the way the worker does, without a thread.
  std::vector<uint32_t> Drain() {
    std::vector<uint32_t> codes;
    Command c;
    while (queue_.TakeExecutable(&c)) codes.push_back(c.code);
    return codes;
  }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  CommandQueue queue_;
};

TEST_F(CommandQueueTest, DelayedCommandWaitsWithoutBlockingThoseBehindIt) {
  ASSERT_TRUE(queue_.QueueCommand(0xB00B0010, "a", 0, 0));
  ASSERT_TRUE(queue_.QueueCommand(0xB00B0011, "b", 0, 30));
  ASSERT_TRUE(queue_.QueueCommand(0xB00B0012, "c", 0, 0));
  EXPECT_EQ(Drain(), (std::vector<uint32_t>{0xB00B0010, 0xB00B0012}));
  clock_.AdvanceSeconds(29);
  EXPECT_TRUE(Drain().empty());
  clock_.AdvanceSeconds(1);
  EXPECT_EQ(Drain(), (std::vector<uint32_t>{0xB00B0011}));
  EXPECT_EQ(queue_.Count(), 0u);
}

TEST_F(CommandQueueTest, FullQueueDropsWithItsLineAndStillReportsSuccess) {
  for (int i = 0; i < 63; ++i) ASSERT_TRUE(queue_.QueueCommand(0xB00B0015, "x", i, 0));
  EXPECT_TRUE(queue_.QueueCommand(0xB00B0016, "63rd", 0, 0));
  EXPECT_EQ(queue_.Count(), 64u);
  EXPECT_TRUE(queue_.QueueCommand(0xB00B0017, "dropped", 0, 0));
  EXPECT_TRUE(queue_.QueueUniqueCommand(0xB00B0001, "", 0, 0));
  EXPECT_EQ(queue_.Count(), 64u);
  std::string text = tmp_.Read("Varnholt.log");
  EXPECT_NE(text.find("DEBUG: Couldn't queue command B00B0017, the queue is full!"),
            std::string::npos);
  EXPECT_NE(text.find("Couldn't queue command B00B0001! The queue is full."), std::string::npos);
  Command slots[kQueueSlots];
  queue_.Snapshot(slots);
  EXPECT_EQ(slots[63].code, 0xB00B0016u);
  EXPECT_STREQ(slots[63].text, "63rd");
}

TEST_F(CommandQueueTest, UniqueCodeIsAddedOnceWhateverItsArguments) {
  ASSERT_TRUE(queue_.QueueUniqueCommand(0xB00B0002, "one", 1, 0));
  ASSERT_TRUE(queue_.QueueUniqueCommand(0xB00B0002, "two", 2, 5));
  ASSERT_TRUE(queue_.QueueCommand(0xB00B0002, "plain", 3, 0));
  EXPECT_EQ(queue_.Count(), 2u);
}

TEST_F(CommandQueueTest, TextIsCutTo255Characters) {
  std::string text(300, 'q');
  ASSERT_TRUE(queue_.QueueCommand(0xB00B0015, text, 0, 0));
  Command c;
  ASSERT_TRUE(queue_.TakeExecutable(&c));
  EXPECT_EQ(std::string(c.text), std::string(255, 'q'));
}

TEST_F(CommandQueueTest, QuitIsNeverLostToAFullQueue) {
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(queue_.QueueCommand(0xB00B0015, "", 0, 100));
  EXPECT_TRUE(queue_.QueueCommand(kQuitCommand, "", 0, 0));
  // Nothing more is accepted once a quit waits.
  EXPECT_FALSE(queue_.QueueCommand(0xB00B0016, "", 0, 0));
  Command c;
  ASSERT_TRUE(queue_.TakeExecutable(&c));
  EXPECT_EQ(c.code, kQuitCommand);
}

// The real worker thread: order, timing line, and nothing after the quit Command.
TEST_F(CommandQueueTest, WorkerExecutesInOrderAndStopsAtQuit) {
  std::vector<uint32_t> executed;
  std::mutex mutex;
  Worker worker(queue_, log_, clock_, [&](const Command& c) {
    std::lock_guard<std::mutex> lock(mutex);
    executed.push_back(c.code);
  });
  worker.SetTiming(true);
  ASSERT_TRUE(worker.Start());
  queue_.QueueCommand(0xB00B0005, "", 0, 0);
  queue_.QueueCommand(0xB00B0006, "", 0, 0);
  queue_.QueueCommand(kQuitCommand, "", 0, 0);
  queue_.QueueCommand(0xB00B0007, "", 0, 0);  // behind the quit: never executed
  ASSERT_TRUE(worker.WaitForExit(5000));
  worker.Join();
  EXPECT_EQ(executed, (std::vector<uint32_t>{0xB00B0005, 0xB00B0006}));
  EXPECT_FALSE(queue_.QueueCommand(0xB00B0008, "", 0, 0));
  EXPECT_TRUE(queue_.Stopped());
  std::string text = tmp_.Read("Varnholt.log");
  EXPECT_NE(text.find("DEBUG: Processed command B00B0005 (queue 0 ms, execution 0 ms)."),
            std::string::npos);
}

TEST_F(CommandQueueTest, WorkerWaitsWhileNothingIsDue) {
  std::atomic<int> executed{0};
  Worker worker(queue_, log_, clock_, [&](const Command&) { ++executed; });
  ASSERT_TRUE(worker.Start());
  queue_.QueueCommand(0xB00B0005, "", 0, 60);
  queue_.Signal();
  EXPECT_FALSE(worker.WaitForExit(50));
  EXPECT_EQ(executed.load(), 0);
  clock_.AdvanceSeconds(60);
  queue_.QueueCommand(kQuitCommand, "", 0, 0);
  ASSERT_TRUE(worker.WaitForExit(5000));
  EXPECT_EQ(executed.load(), 1);
}

}  // namespace
}  // namespace varnholt
