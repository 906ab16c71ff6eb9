#include "settings/con_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "platform/last_error.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class ConFileTest : public ::testing::Test {
 protected:
  ConFileTest() : log_(tmp_.path(), clock_) {
    log_.SetLineObserver([this](const std::string& line) { lines_.push_back(line); });
  }
  bool Logged(const std::string& text) const {
    for (const std::string& line : lines_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  std::vector<std::string> lines_;
};

TEST(ConLines, SplitsAtLineFeedsAndCutsLongLines) {
  EXPECT_EQ(SplitConLines("a 1\r\nb 2\nc 3"), (std::vector<std::string>{"a 1", "b 2", "c 3"}));
  EXPECT_EQ(SplitConLines("x\r\r\n\r\n"), (std::vector<std::string>{"x", ""}));
  std::vector<std::string> long_line = SplitConLines(std::string(1500, 'z') + "\r\n");
  ASSERT_EQ(long_line.size(), 2u);
  EXPECT_EQ(long_line[0].size(), kConLineMax);
  EXPECT_EQ(long_line[1].size(), 1500u - kConLineMax);
  ConLine parts = SplitConKey("   game.serverName  \"x\"");
  EXPECT_EQ(parts.key, "game.serverName");
  EXPECT_EQ(parts.rest, " \"x\"");
}

TEST_F(ConFileTest, ReadConSettingFindsFirstNonEmptyValue) {
  std::string path = tmp_.Write("ServerMapList.con",
                                "// comment\r\ngame.setIdleLevel\r\nGAME.SETIDLELEVEL map one\r\n"
                                "game.setIdleLevel other\r\n");
  std::string value;
  ASSERT_TRUE(ReadConSetting(log_, path, "game.setIdleLevel", &value, 128));
  EXPECT_EQ(value, "map one");
  ASSERT_TRUE(ReadConSetting(log_, path, "game.setIdleLevel", &value, 4));
  EXPECT_EQ(value, "map");
  EXPECT_FALSE(ReadConSetting(log_, path, "game.other", &value, 128));

  std::string empty = tmp_.Write("Empty.con", "");
  EXPECT_FALSE(ReadConSetting(log_, empty, "game.setIdleLevel", &value, 128));
  EXPECT_EQ(GetLastErrorCode(), kErrorFileNotFound);
  EXPECT_TRUE(lines_.empty());
  EXPECT_FALSE(ReadConSetting(log_, tmp_.Sub("Missing.con"), "x", &value, 128));
  EXPECT_TRUE(Logged("Couldn't open file " + tmp_.Sub("Missing.con") + "! "));
}

TEST_F(ConFileTest, SetConSettingReplacesOrAppendsWithCrLf) {
  std::string path = tmp_.Write("m.con", "game.a 1\ngame.setIdleLevel old\r\ngame.b 2");
  ASSERT_TRUE(SetConSetting(log_, path, "game.setIdleLevel", "new map"));
  EXPECT_EQ(tmp_.Read("m.con"), "game.a 1\r\ngame.setIdleLevel new map\r\ngame.b 2\r\n");
  ASSERT_TRUE(SetConSetting(log_, path, "game.setIdleLevel", ""));
  EXPECT_EQ(tmp_.Read("m.con"), "game.a 1\r\ngame.b 2\r\n");
  // The appended line never joins a last line that had no line end.
  tmp_.Write("m.con", "game.a 1");
  ASSERT_TRUE(SetConSetting(log_, path, "game.setIdleLevel", "x"));
  EXPECT_EQ(tmp_.Read("m.con"), "game.a 1\r\ngame.setIdleLevel x\r\n");
}

TEST_F(ConFileTest, ARewriteKeepsTheLineEndOfAFileWrittenWithLineFeeds) {
  // The rotation files are written with LF; changing the idle map must not mix in CR LF.
  std::string path = tmp_.Write("ServerMapList.con", "game.addLevel a gpm_cq ashfront\n");
  ASSERT_TRUE(SetConSetting(log_, path, "game.setIdleLevel", "b gpm_cq ashfront"));
  EXPECT_EQ(tmp_.Read("ServerMapList.con"),
            "game.addLevel a gpm_cq ashfront\ngame.setIdleLevel b gpm_cq ashfront\n");
  ASSERT_TRUE(SetConSetting(log_, path, "game.setIdleLevel", ""));
  EXPECT_EQ(tmp_.Read("ServerMapList.con"), "game.addLevel a gpm_cq ashfront\n");
  ASSERT_TRUE(RemoveLinesContaining(log_, path, "addLevel"));
  EXPECT_EQ(tmp_.Read("ServerMapList.con"), "");
}

TEST_F(ConFileTest, RemoveLinesContainingFailsTruthfully) {
  std::string missing = tmp_.Sub("nope.con");
  EXPECT_FALSE(RemoveLinesContaining(log_, missing, "x"));
  EXPECT_TRUE(Logged("Couldn't open " + missing + "! "));

  std::string path = tmp_.Write("b.con", "keep\r\ndrop me\r\n");
  EXPECT_FALSE(RemoveLinesContaining(log_, path, ""));  // would empty the whole file
  EXPECT_EQ(tmp_.Read("b.con"), "keep\r\ndrop me\r\n");
  ASSERT_TRUE(RemoveLinesContaining(log_, path, "drop"));
  EXPECT_EQ(tmp_.Read("b.con"), "keep\r\n");

  // A folder that cannot take the temporary file: the rewrite fails and says so.
  std::string locked = tmp_.Write("locked/c.con", "a\r\nb\r\n");
  chmod(tmp_.Sub("locked").c_str(), 0500);
  if (access(tmp_.Sub("locked/probe").c_str(), F_OK) != 0 && geteuid() != 0) {
    EXPECT_FALSE(RemoveLinesContaining(log_, locked, "a"));
    EXPECT_TRUE(Logged("Couldn't rename " + locked + "! "));
    EXPECT_EQ(tmp_.Read("locked/c.con"), "a\r\nb\r\n");
  }
  chmod(tmp_.Sub("locked").c_str(), 0700);
}

// A writer killed at any moment leaves the old or the new file, never a part of one.
TEST_F(ConFileTest, KilledWriterLeavesWholeFile) {
  std::string filler;
  for (int i = 0; i < 3000; ++i) filler += "game.filler" + std::to_string(i) + " value\r\n";
  std::string version_a = filler + "game.setIdleLevel A\r\n";
  std::string version_b = filler + "game.setIdleLevel B\r\n";
  std::string path = tmp_.Write("ServerMapList.con", version_a);
  for (int round = 0; round < 6; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) (void)SetConSetting(log_, path, "game.setIdleLevel", i % 2 ? "A" : "B");
    }
    usleep(5000 + round * 7000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::string now = tmp_.Read("ServerMapList.con");
    ASSERT_TRUE(now == version_a || now == version_b)
        << "round " << round << ": " << now.size() << " bytes";
  }
}

// Rewrites in two threads at once never share a temporary file.
TEST_F(ConFileTest, ConcurrentRewritesInOneFolderStayWhole) {
  std::string first = tmp_.Write("One.con", "game.x 0\r\nkeep 1\r\n");
  std::string second = tmp_.Write("Two.con", "game.x 0\r\nkeep 2\r\n");
  auto rewrite = [this](const std::string& path) {
    for (int i = 0; i < 100; ++i) {
      ASSERT_TRUE(SetConSetting(log_, path, "game.x", std::to_string(i)));
    }
  };
  std::thread other(rewrite, second);
  rewrite(first);
  other.join();
  EXPECT_EQ(tmp_.Read("One.con"), "game.x 99\r\nkeep 1\r\n");
  EXPECT_EQ(tmp_.Read("Two.con"), "game.x 99\r\nkeep 2\r\n");
}

}  // namespace
}  // namespace varnholt
