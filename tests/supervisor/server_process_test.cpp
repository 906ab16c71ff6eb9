#include "supervisor/server_process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::ChildProcess;
using testing::TempFolder;
using testing::WaitUntil;

class ServerProcessTest : public ::testing::Test {
 protected:
  ServerProcessTest() : log_(game_.path(), clock_), server_(game_.path(), log_, clock_) {
    std::filesystem::copy_file("/bin/sleep", game_.Sub("ashfront_w32ded.exe"));
  }
  TempFolder game_;
  ManualClock clock_;
  EventLog log_;
  ServerProcess server_;
};

TEST_F(ServerProcessTest, FindsOnlyTheServerOfItsOwnFolder) {
  TempFolder other;
  std::filesystem::copy_file("/bin/sleep", other.Sub("ashfront_w32ded.exe"));
  ChildProcess foreign;
  ASSERT_TRUE(foreign.Start(other.Sub("ashfront_w32ded.exe"), {"30"}, other.path()));
  int32_t pid = kAnyPid;
  EXPECT_FALSE(server_.FindServerProcess(&pid));
  pid = foreign.pid();
  EXPECT_FALSE(server_.FindServerProcess(&pid));

  ChildProcess ours;
  ASSERT_TRUE(ours.Start(game_.Sub("ashfront_w32ded.exe"), {"30"}, game_.path()));
  ASSERT_TRUE(WaitUntil([&] {
    pid = kAnyPid;
    return server_.FindServerProcess(&pid);
  }));
  EXPECT_EQ(pid, ours.pid());
  EXPECT_TRUE(foreign.running());
}

TEST_F(ServerProcessTest, ALauncherPidIsReplacedByItsServerChild) {
  std::string launcher = game_.Write("launch.sh", "#!/bin/sh\n./ashfront_w32ded.exe 30\n");
  std::filesystem::permissions(launcher, std::filesystem::perms::owner_all);
  ChildProcess child;
  ASSERT_TRUE(child.Start(launcher, {}, game_.path()));
  int32_t pid = child.pid();
  ASSERT_TRUE(WaitUntil([&] {
    pid = child.pid();
    return server_.FindServerProcess(&pid);
  }));
  EXPECT_NE(pid, child.pid());

  // Ending it without a console: asked to end, then gone.
  server_.StopProcess(pid, false);
  int32_t again = pid;
  EXPECT_FALSE(server_.FindServerProcess(&again));
}

TEST_F(ServerProcessTest, StopTerminatesAServerThatIgnoresTheRequest) {
  std::filesystem::remove(game_.Sub("ashfront_w32ded.exe"));
  // It says when it has started ignoring SIGTERM, so the test cannot ask too early.
  game_.Write("ashfront_w32ded.exe",
              "#!/bin/sh\ntrap '' TERM\n: > ignoring\nwhile :; do sleep 0.05; done\n");
  std::filesystem::permissions(game_.Sub("ashfront_w32ded.exe"), std::filesystem::perms::owner_all);
  ChildProcess server;
  ASSERT_TRUE(server.Start(game_.Sub("ashfront_w32ded.exe"), {}, game_.path()));
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(game_.Sub("ignoring")); }));
  int32_t pid = kAnyPid;
  ASSERT_TRUE(WaitUntil([&] {
    pid = kAnyPid;
    return server_.FindServerProcess(&pid);
  }));
  server_.StopProcess(pid, false);
  EXPECT_TRUE(server.Wait(3000));
  EXPECT_NE(game_.Read("Varnholt.log").find("Terminating server with extreme prejudice!"),
            std::string::npos);
}

}  // namespace
}  // namespace varnholt
