#include "maps/default_game_modes.h"

#include <gtest/gtest.h>

#include "maps/archive_writer.h"
#include "maps_test_support.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::BuildArchive;
using testing::LzoCompress;
using testing::PatternText;
using testing::TempFolder;

class DefaultGameModesTest : public ::testing::Test {
 protected:
  DefaultGameModesTest() : log_(tmp_.path(), clock_) {}

  void WriteGameArchive(const ArchiveWriter& writer) {
    tmp_.Write("Mods/ashfront/Archives/ashfront/game.rfa", BuildArchive(writer));
  }
  std::string Target(const char* name) const {
    return tmp_.Sub(std::string("Mods/ashfront/save/GameModeSettings/") + name);
  }
  std::string Log() const { return tmp_.Read("Varnholt.log"); }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
};

TEST_F(DefaultGameModesTest, ExtractsMissingFilesAndKeepsExistingOnes) {
  const std::string evolution = "<evolution>" + PatternText(70'000) + "</evolution>";
  ArchiveWriter writer(true);
  writer.AddStored("AshFront/game/readme.txt", "x");
  ASSERT_TRUE(
      writer.AddCompressed("AshFront/game/GameModeSettings/DefaultEvolution.wst", evolution));
  ASSERT_TRUE(writer.AddCompressed("ashfront/Game/gamemodesettings/defaultcustomcombat.wst",
                                   "custom combat defaults"));
  WriteGameArchive(writer);

  ASSERT_TRUE(ExtractDefaultGameModeFiles(tmp_.path(), log_));
  EXPECT_EQ(tmp_.Read("Mods/ashfront/save/GameModeSettings/Evolution.wst"), evolution);
  EXPECT_EQ(tmp_.Read("Mods/ashfront/save/GameModeSettings/CustomCombat.wst"),
            "custom combat defaults");

  tmp_.Write("Mods/ashfront/save/GameModeSettings/CustomCombat.wst", "edited by the admin");
  RemoveFile(Target("Evolution.wst"));
  ASSERT_TRUE(ExtractDefaultGameModeFiles(tmp_.path(), log_));
  EXPECT_EQ(tmp_.Read("Mods/ashfront/save/GameModeSettings/CustomCombat.wst"),
            "edited by the admin");
  EXPECT_EQ(tmp_.Read("Mods/ashfront/save/GameModeSettings/Evolution.wst"), evolution);
  EXPECT_EQ(Log(), "");
}

TEST_F(DefaultGameModesTest, MissingArchiveIsAStartUpFailure) {
  EXPECT_FALSE(ExtractDefaultGameModeFiles(tmp_.path(), log_));
  EXPECT_NE(Log().find("Couldn't extract default Custom Combat map info! Verify Varnholt can "
                       "write to " +
                       Target("CustomCombat.wst") + "."),
            std::string::npos);
  EXPECT_TRUE(FolderExists(tmp_.Sub("Mods/ashfront/save/GameModeSettings")));
}

TEST_F(DefaultGameModesTest, BadChunkFailsWithoutLeavingAPartialFile) {
  ArchiveWriter writer;
  writer.AddStored("AshFront/game/GameModeSettings/DefaultCustomCombat.wst", "cc");
  writer.AddRawChunks("AshFront/game/GameModeSettings/DefaultEvolution.wst",
                      {{LzoCompress("<evolution>"), 11}, {"\xff\xff\xff", 100}}, 111);
  WriteGameArchive(writer);
  EXPECT_FALSE(ExtractDefaultGameModeFiles(tmp_.path(), log_));
  EXPECT_NE(
      Log().find("Couldn't extract default Evolution map info! Verify Varnholt can write to " +
                 Target("Evolution.wst") + "."),
      std::string::npos);
  EXPECT_FALSE(FileExists(Target("Evolution.wst")));
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(tmp_.Sub("Mods/ashfront/save/GameModeSettings"), &names));
  EXPECT_EQ(names, std::vector<std::string>{"CustomCombat.wst"});
}

}  // namespace
}  // namespace varnholt
