#include "platform/processes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::ChildProcess;
using testing::TempFolder;

TEST(ProcessesTest, RecognisesTheServerByFileNotByName) {
  TempFolder game, other;
  std::filesystem::copy_file("/bin/sleep", game.Sub("ashfront_w32ded.exe"));
  std::filesystem::copy_file("/bin/sleep", other.Sub("ashfront_w32ded.exe"));
  ChildProcess ours, foreign;
  ASSERT_TRUE(ours.Start(game.Sub("ashfront_w32ded.exe"), {"30"}, game.path()));
  ASSERT_TRUE(foreign.Start(other.Sub("ashfront_w32ded.exe"), {"30"}, other.path()));
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return ProcessRunsFile(ours.pid(), game.Sub("ashfront_w32ded.exe")); }));
  EXPECT_FALSE(ProcessRunsFile(foreign.pid(), game.Sub("ashfront_w32ded.exe")));
  EXPECT_NE(ProcessState(ours.pid()), '\0');
  ASSERT_TRUE(KillProcess(ours.pid()));
  ours.Wait(5000);
  EXPECT_EQ(ProcessState(ours.pid()), '\0');
}

TEST(ProcessesTest, RecognisesAScriptRunByItsInterpreter) {
  TempFolder game;
  // Short sleeps, so nothing outlives the test for long once the script is killed.
  std::string script =
      game.Write("ashfront_w32ded.exe", "#!/bin/sh\nwhile :; do sleep 0.1; done\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  ChildProcess server;
  ASSERT_TRUE(server.Start(script, {}, game.path()));
  EXPECT_TRUE(testing::WaitUntil([&] { return ProcessRunsFile(server.pid(), script); }));
  std::vector<ProcessInfo> all;
  ASSERT_TRUE(ListProcesses(&all));
  bool found_self = false;
  for (const ProcessInfo& p : all) found_self |= p.pid == OwnProcessId();
  EXPECT_TRUE(found_self);
}

}  // namespace
}  // namespace varnholt
