#include "platform/processes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/process_command_line.h"
#include "platform/process_identity.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/wine_standin.h"

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

// Programs that only read the server file, or have it among their arguments, are never
// taken for the server, whether the server is a binary or a script.
TEST(ProcessesTest, ProgramsThatReadTheFileDoNotRunIt) {
  TempFolder game;
  std::string binary = game.Sub("ashfront_w32ded.exe");
  std::filesystem::copy_file("/bin/sleep", binary);
  std::string script =
      game.Write("script/ashfront_w32ded.exe", "#!/bin/sh\nwhile :; do sleep 0.1; done\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);

  ChildProcess tail_relative, tail_absolute, tail_script, shell_reading_script;
  ASSERT_TRUE(tail_relative.Start("/usr/bin/tail", {"-f", "ashfront_w32ded.exe"}, game.path()));
  ASSERT_TRUE(tail_absolute.Start("/usr/bin/tail", {"-f", "-n", "1", binary}, "/"));
  ASSERT_TRUE(tail_script.Start("/usr/bin/tail", {"-f", script}, game.path()));
  // The script's own interpreter, but running another command with the file as its $0.
  ASSERT_TRUE(shell_reading_script.Start("/bin/sh", {"-c", "while :; do sleep 0.1; done", script},
                                         game.path()));
  ChildProcess script_with_option;
  ASSERT_TRUE(
      script_with_option.Start("/bin/sh", {"-e", "ashfront_w32ded.exe"}, game.Sub("script")));
  ASSERT_TRUE(
      testing::WaitUntil([&] { return ProcessRunsFile(script_with_option.pid(), script); }));

  // Each decoy must have become its program before it is looked at.
  ASSERT_TRUE(testing::WaitUntil([&] {
    return ProcessRunsFile(tail_relative.pid(), "/usr/bin/tail") &&
           ProcessRunsFile(tail_absolute.pid(), "/usr/bin/tail") &&
           ProcessRunsFile(tail_script.pid(), "/usr/bin/tail") &&
           ProcessRunsFile(shell_reading_script.pid(), "/bin/sh");
  }));
  for (ChildProcess* decoy :
       {&tail_relative, &tail_absolute, &tail_script, &shell_reading_script}) {
    EXPECT_FALSE(ProcessRunsFile(decoy->pid(), binary));
    EXPECT_FALSE(ProcessRunsFile(decoy->pid(), script));
  }
  EXPECT_FALSE(ProcessRunsFile(script_with_option.pid(), binary));
}

TEST(ProcessesTest, RecognisesWinesLoaderRunningTheFileOnly) {
  TempFolder game, wine;
  std::string server = game.Sub("ashfront_w32ded.exe");
  std::filesystem::copy_file("/bin/sleep", server);
  testing::InstallWineStandIn(wine.path(), "/usr/bin/tail");
  game.Write("wine64", "");  // read by the loader that names it
  std::string windows_path = "Z:" + game.path() + "\\ASHFRONT_W32DED.EXE";
  for (char& c : windows_path) {
    if (c == '/') c = '\\';
  }
  ChildProcess ours, not_yet_rewritten, other_program, reader_of_the_file;
  ASSERT_TRUE(testing::StartWineLoader(&ours, wine.path(), windows_path, {"-f", "/dev/null"}, "/"));
  ASSERT_TRUE(testing::StartWineLoader(&not_yet_rewritten, wine.path(), "wine64-preloader",
                                       {"wine64", "ashfront_w32ded.exe", "-f"}, game.path()));
  ASSERT_TRUE(testing::StartWineLoader(&other_program, wine.path(),
                                       "Z:" + game.path() + "/other.exe", {"-f", server}, "/"));
  ASSERT_TRUE(testing::StartWineLoader(&reader_of_the_file, wine.path(), "C:\\windows\\notepad.exe",
                                       {"-f", server}, "/"));
  ProgramIdentity identity(server), loader(wine.Sub("wine64-preloader"));
  ASSERT_TRUE(testing::WaitUntil(
      [&] { return loader.RunBy(other_program.pid()) && loader.RunBy(reader_of_the_file.pid()); }));
  EXPECT_TRUE(testing::WaitUntil([&] { return identity.RunBy(ours.pid()); }));
  EXPECT_TRUE(testing::WaitUntil([&] { return identity.RunBy(not_yet_rewritten.pid()); }));
  EXPECT_FALSE(identity.RunBy(other_program.pid()));
  EXPECT_FALSE(identity.RunBy(reader_of_the_file.pid()));

  using Words = std::vector<std::string>;
  EXPECT_EQ(WineProgramPath(Words{"/usr/bin/wine64-preloader", "wine64", "Z:\\g\\x.exe", "y"}),
            "/g/x.exe");
  EXPECT_EQ(ScriptWord(Words{"/bin/sh", "-e", "./x.exe", "y"}), "./x.exe");
  EXPECT_EQ(ScriptWord(Words{"/bin/sh", "-c", "cat x.exe", "x.exe"}), "cat x.exe");
  EXPECT_EQ(InterpreterLineWords("#!/usr/bin/env -S python3 -u\r\nprint()\n"),
            (Words{"/usr/bin/env", "-S", "python3", "-u"}));
  EXPECT_TRUE(IsWineLoaderName("wine"));
  EXPECT_TRUE(IsWineLoaderName("wine32-preloader"));
  EXPECT_FALSE(IsWineLoaderName("winecfg"));
  EXPECT_FALSE(IsWineLoaderName("wineserver"));
  EXPECT_EQ(UnixPathOfWinePath("z:\\games\\x.exe"), "/games/x.exe");
  EXPECT_EQ(UnixPathOfWinePath("C:\\windows\\notepad.exe"), "");
  EXPECT_EQ(UnixPathOfWinePath("/games/x.exe"), "/games/x.exe");
}

}  // namespace
}  // namespace varnholt
