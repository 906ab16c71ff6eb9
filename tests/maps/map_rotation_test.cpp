#include "maps/map_rotation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "maps/game_modes.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class MapRotationTest : public ::testing::Test {
 protected:
  MapRotationTest() : log_(tmp_.path(), clock_), rotation_(tmp_.Sub("Settings"), log_) {
    tmp_.Write("Settings/Mods.con", "ashfront\nfrontier\n");
    tmp_.Write("Settings/Maps.con", "ashfront,hue,15\nashfront,ridge,9\nfrontier,frost,11\n");
  }

  std::string WriteList(const std::string& text) {
    return tmp_.Write("Settings/ServerMapList.con", text);
  }
  // Rows as "map/mode/mod" with a "+" for checked ones.
  std::vector<std::string> RowTexts() const {
    std::vector<std::string> out;
    for (const RotationRow& r : rotation_.Rows()) {
      out.push_back((r.checked ? "+" : "") + r.map + "/" + r.mode + "/" + r.mod);
    }
    return out;
  }
  std::string Save() {
    EXPECT_TRUE(rotation_.SaveMapRotation(tmp_.Sub("out.con")));
    return tmp_.Read("out.con");
  }
  std::string Log() const { return tmp_.Read("Varnholt.log"); }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  MapRotation rotation_;
};

constexpr const char* kList =
    "game.addLevel frost GPM_COOP frontier\n"
    "game.addLevel hue GPM_EVOL ashfront\r\n"
    "game.addLevel ridge GPM_COOP ashfront\n"
    "GAME.ADDLEVEL Hue gpm_cq AshFront\n"
    "game.addLevel hue\n"
    "game.setCurrentLevel hue GPM_EVOL ashfront\n"
    "game.setIdleLevel ridge GPM_CQ ashfront\n";

TEST_F(MapRotationTest, LoadPutsTheRotationFirstInFileOrderAndSaveWritesItBack) {
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  EXPECT_EQ(RowTexts(),
            (std::vector<std::string>{"+frost/Cooperative/frontier", "+hue/Evolution/ashfront",
                                      "+hue/Conquest/ashfront", "hue/Cooperative/ashfront",
                                      "hue/Custom Combat/ashfront", "ridge/Conquest/ashfront",
                                      "ridge/Custom Combat/ashfront", "frost/Conquest/frontier",
                                      "frost/Custom Combat/frontier"}));
  EXPECT_NE(Log().find("An invalid map/mode/mod combination has been removed from the map "
                       "rotation: ridge Cooperative ashfront"),
            std::string::npos);
  EXPECT_EQ(rotation_.CurrentLevel(), "hue GPM_EVOL ashfront");
  EXPECT_EQ(rotation_.IdleLevel(), "ridge GPM_CQ ashfront");
  EXPECT_FALSE(rotation_.Dirty());
  EXPECT_EQ(Save(),
            "game.addLevel frost GPM_COOP frontier\n"
            "game.addLevel hue GPM_EVOL ashfront\n"
            "game.addLevel hue GPM_CQ ashfront\n"
            "game.setCurrentLevel hue GPM_EVOL ashfront\n"
            "game.setIdleLevel ridge GPM_CQ ashfront\n");
  EXPECT_EQ(rotation_.FindRotationRow("HUE", "gpm_cq", "ASHFRONT"), 2);
  EXPECT_EQ(rotation_.FindRotationRow("hue", "GPM_COOP", "frontier"), -1);
  EXPECT_TRUE(rotation_.IsValidLevel("Frost", "GPM_COOP", "Frontier"));
  EXPECT_FALSE(rotation_.IsValidLevel("frost", "GPM_EVOL", "frontier"));
  EXPECT_FALSE(rotation_.IsValidLevel("frost", "GPM_NONE", "frontier"));
}

TEST_F(MapRotationTest, CurrentLevelIsKeptWhileTheServerRuns) {
  rotation_.SetCurrentLevel("frost GPM_CQ frontier");
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), true));
  EXPECT_EQ(rotation_.CurrentLevel(), "frost GPM_CQ frontier");
}

TEST_F(MapRotationTest, DuplicateRotationLinesDoNotDisturbTheOrder) {
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList("game.addLevel ridge GPM_CQ ashfront\n"
                                                  "game.addLevel hue GPM_CQ ashfront\n"
                                                  "game.addLevel ridge GPM_CQ ashfront\n"
                                                  "game.addLevel frost GPM_CQ frontier\n"),
                                        false));
  const auto rows = RowTexts();
  EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 4),
            (std::vector<std::string>{"+ridge/Conquest/ashfront", "+hue/Conquest/ashfront",
                                      "+frost/Conquest/frontier", "hue/Cooperative/ashfront"}));
}

TEST_F(MapRotationTest, ShowSelectedOnlyListsTheRotationInFileOrder) {
  rotation_.SetModeFilter(0);
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  EXPECT_EQ(RowTexts(),
            (std::vector<std::string>{"+frost/Cooperative/frontier", "+hue/Evolution/ashfront",
                                      "+hue/Conquest/ashfront"}));
}

TEST_F(MapRotationTest, HiddenModesAndModsStayInTheSavedRotation) {
  rotation_.SetModeFilter(kAllModes & ~kModeEvolution);
  rotation_.SetModFilter(1);  // ashfront only
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  EXPECT_EQ(rotation_.RowCount(), 5u);
  ASSERT_EQ(rotation_.HiddenLevels().size(), 2u);
  // The view hides two levels of the rotation, but the saved rotation is the whole one, and
  // the current level, hidden as it is, stays current.
  EXPECT_EQ(Save(),
            "game.addLevel frost GPM_COOP frontier\n"
            "game.addLevel hue GPM_EVOL ashfront\n"
            "game.addLevel hue GPM_CQ ashfront\n"
            "game.setCurrentLevel hue GPM_EVOL ashfront\n"
            "game.setIdleLevel ridge GPM_CQ ashfront\n");
  EXPECT_EQ(rotation_.CurrentLevel(), "hue GPM_EVOL ashfront");
}

TEST_F(MapRotationTest, HiddenModeLevelKeepsItsPlaceAmongTheShownOnes) {
  rotation_.SetModeFilter(kAllModes & ~kModeEvolution);
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList("game.addLevel hue GPM_CQ ashfront\n"
                                                  "game.addLevel Hue gpm_evol AshFront\n"
                                                  "game.addLevel ridge GPM_CQ ashfront\n"
                                                  "game.addLevel ridge GPM_CCOMBAT ashfront\n"),
                                        false));
  const std::vector<HiddenRotationLevel> hidden = rotation_.HiddenLevels();
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_EQ(hidden[0].map + " " + hidden[0].mode + " " + hidden[0].mod, "hue GPM_EVOL ashfront");
  EXPECT_EQ(hidden[0].place, 1u);
  EXPECT_EQ(Save(),
            "game.addLevel hue GPM_CQ ashfront\n"
            "game.addLevel hue GPM_EVOL ashfront\n"
            "game.addLevel ridge GPM_CQ ashfront\n"
            "game.addLevel ridge GPM_CCOMBAT ashfront\n"
            "game.setCurrentLevel hue GPM_CQ ashfront\n");
  // Unchecking the first shown level moves the hidden one behind the new first.
  rotation_.SetRowChecked(0, false);
  rotation_.SetCurrentLevel("");
  EXPECT_EQ(Save(),
            "game.addLevel ridge GPM_CQ ashfront\n"
            "game.addLevel hue GPM_EVOL ashfront\n"
            "game.addLevel ridge GPM_CCOMBAT ashfront\n"
            "game.setCurrentLevel ridge GPM_CQ ashfront\n");
  // With nothing shown checked, the hidden level still forms the rotation.
  rotation_.SetAllChecked(false);
  rotation_.SetCurrentLevel("");
  EXPECT_EQ(Save(),
            "game.addLevel hue GPM_EVOL ashfront\n"
            "game.setCurrentLevel hue GPM_EVOL ashfront\n");
  EXPECT_EQ(Log().find("WARNING: An empty map rotation"), std::string::npos);
}

TEST_F(MapRotationTest, HiddenModLevelsAreSavedEvenWhenNoRowIsShown) {
  const std::string list =
      "game.addLevel frost GPM_CQ frontier\n"
      "game.addLevel hue GPM_CQ ashfront\n"
      "game.addLevel frost GPM_CCOMBAT frontier\n"
      "game.addLevel frost GPM_CQ frontier\n"
      "game.setCurrentLevel frost GPM_CCOMBAT frontier\n";
  rotation_.SetModFilter(kAllMods & ~2u);  // frontier hidden
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(list), false));
  EXPECT_EQ(rotation_.HiddenLevels().size(), 2u);  // the repeated line is kept once
  const std::string whole =
      "game.addLevel frost GPM_CQ frontier\n"
      "game.addLevel hue GPM_CQ ashfront\n"
      "game.addLevel frost GPM_CCOMBAT frontier\n"
      "game.setCurrentLevel frost GPM_CCOMBAT frontier\n";
  EXPECT_EQ(Save(), whole);

  rotation_.SetModFilter(0);  // ModFilter=abc in the options: no mod shown
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(list), false));
  EXPECT_EQ(rotation_.RowCount(), 0u);
  EXPECT_EQ(Save(), whole);
}

TEST_F(MapRotationTest, ModPositionsPastThirtyOneAreSafeAndShown) {
  std::string mods;
  std::string maps;
  for (int i = 0; i < 40; ++i) {
    mods += "mod" + std::to_string(i) + "\n";
    maps += "mod" + std::to_string(i) + ",hue,9\n";
  }
  tmp_.Write("Settings/Mods.con", mods);
  tmp_.Write("Settings/Maps.con", maps);
  const std::string list =
      "game.addLevel hue GPM_CQ mod35\n"
      "game.addLevel hue GPM_CQ mod0\n"
      "game.addLevel hue GPM_CQ mod20\n"
      "game.addLevel hue GPM_CCOMBAT mod39\n"
      "game.addLevel hue GPM_CQ mod3\n";
  // Mod 0 and mods 16 to 31 are hidden; mods 32 and later have no bit and stay shown.
  rotation_.SetModFilter(kAllMods & ~1u);
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(list), false));
  EXPECT_EQ(rotation_.RowCount(), (15u + 8u) * 2u);
  EXPECT_GE(rotation_.FindRotationRow("hue", "GPM_CQ", "mod32"), 0);
  EXPECT_EQ(rotation_.FindRotationRow("hue", "GPM_CQ", "mod31"), -1);
  EXPECT_EQ(RowTexts()[0], "+hue/Conquest/mod35");
  EXPECT_EQ(RowTexts()[1], "+hue/Custom Combat/mod39");
  EXPECT_EQ(Save(), list + "game.setCurrentLevel hue GPM_CQ mod35\n");

  rotation_.SetModFilter(0x80000000u);  // only mod 31 of the first 32, and the unbitted ones
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(list), false));
  EXPECT_EQ(rotation_.RowCount(), (1u + 8u) * 2u);
  EXPECT_EQ(Save(), list + "game.setCurrentLevel hue GPM_CQ mod35\n");
}

TEST_F(MapRotationTest, ShowSelectedOnlyIgnoresTheModFilterAndKeepsFileOrder) {
  rotation_.SetModeFilter(0);
  rotation_.SetModFilter(1);  // frontier would be hidden in the full view
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList("game.addLevel ridge GPM_CCOMBAT ashfront\n"
                                                  "game.addLevel frost GPM_COOP frontier\n"
                                                  "game.addLevel hue GPM_CQ ashfront\n"),
                                        false));
  EXPECT_EQ(RowTexts(),
            (std::vector<std::string>{"+ridge/Custom Combat/ashfront",
                                      "+frost/Cooperative/frontier", "+hue/Conquest/ashfront"}));
  EXPECT_TRUE(rotation_.HiddenLevels().empty());
  EXPECT_EQ(Save(),
            "game.addLevel ridge GPM_CCOMBAT ashfront\n"
            "game.addLevel frost GPM_COOP frontier\n"
            "game.addLevel hue GPM_CQ ashfront\n"
            "game.setCurrentLevel ridge GPM_CCOMBAT ashfront\n");
}

TEST_F(MapRotationTest, ModsPastTheSixteenthAreShownWithAllMods) {
  std::string mods;
  std::string maps;
  for (int i = 0; i < 20; ++i) {
    mods += "mod" + std::to_string(i) + "\n";
    maps += "mod" + std::to_string(i) + ",hue,8\n";
  }
  tmp_.Write("Settings/Mods.con", mods);
  tmp_.Write("Settings/Maps.con", maps);
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(""), false));
  EXPECT_EQ(rotation_.RowCount(), 20u);
  rotation_.SetModFilter(kAllMods & ~1u);
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(""), false));
  EXPECT_EQ(rotation_.RowCount(), 15u);
}

TEST_F(MapRotationTest, EmptyRotationSavesIdleLevelAndWarns) {
  ASSERT_TRUE(
      rotation_.LoadMapRotation(WriteList("game.setIdleLevel ridge GPM_CQ ashfront\n"), false));
  EXPECT_EQ(Save(), "game.setIdleLevel ridge GPM_CQ ashfront\n");
  EXPECT_NE(Log().find("WARNING: An empty map rotation has been saved."), std::string::npos);

  tmp_.Write("Settings/Maps.con", "");
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  EXPECT_FALSE(rotation_.SaveMapRotation(tmp_.Sub("none.con")));
  EXPECT_EQ(GetLastErrorCode(), kErrorNoMaps);
  EXPECT_FALSE(FileExists(tmp_.Sub("none.con")));
}

TEST_F(MapRotationTest, MissingFilesAreLoggedAndFailWithoutTouchingTheRows) {
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  const std::vector<std::string> rows = RowTexts();
  EXPECT_FALSE(rotation_.LoadMapRotation(tmp_.Sub("Settings/missing.con"), false));
  EXPECT_NE(Log().find("Couldn't open map list file! "), std::string::npos);
  EXPECT_EQ(RowTexts(), rows);
  RemoveFile(tmp_.Sub("Settings/Maps.con"));
  EXPECT_FALSE(rotation_.LoadMapRotation(WriteList(kList), false));
  EXPECT_NE(Log().find("Couldn't open " + tmp_.Sub("Settings/Maps.con") + " file! "),
            std::string::npos);
  EXPECT_FALSE(rotation_.IsValidLevel("hue", "GPM_CQ", "ashfront"));
  EXPECT_NE(Log().find("Couldn't open maps file! "), std::string::npos);
}

TEST_F(MapRotationTest, CurrentLevelTextComesFromTheLevelOrTheRotationFile) {
  rotation_.SetCurrentLevel("Hue GPM_EVOL AshFront");
  EXPECT_EQ(rotation_.GetCurrentLevelText(true, false), "hue GPM_EVOL ashfront");
  EXPECT_EQ(rotation_.GetCurrentLevelText(false, false), "hue Evolution ashfront");

  rotation_.SetCurrentLevel("-");
  EXPECT_EQ(rotation_.GetCurrentLevelText(false, false), "");
  EXPECT_NE(Log().find("Couldn't open map list file! "), std::string::npos);
  WriteList("game.addLevel ridge GPM_CQ ashfront\ngame.setCurrentLevel ridge GPM_CQ ashfront\n");
  tmp_.Write("Settings/MapList.con",
             "game.setCurrentLevel x\ngame.setCurrentLevel frost GPM_COOP frontier\n");
  EXPECT_EQ(rotation_.GetCurrentLevelText(false, false), "ridge Conquest ashfront");
  EXPECT_EQ(rotation_.GetCurrentLevelText(true, true), "frost GPM_COOP frontier");
  WriteList("game.addLevel ridge GPM_CQ ashfront\n");
  EXPECT_EQ(rotation_.GetCurrentLevelText(true, false), "-");
}

TEST_F(MapRotationTest, RunningLevelTextComesFromTheStatusReply) {
  std::map<std::string, std::string> reply = {
      {"mapname", "Hue Crossing"}, {"game_id", "ashfront"}, {"gametype", "coop"}};
  auto lookup = [&reply](const char* key, std::string* value) {
    auto it = reply.find(key);
    if (it == reply.end()) return false;
    *value = it->second;
    return true;
  };
  EXPECT_EQ(rotation_.GetRunningLevelText(true, true, lookup), "Hue_Crossing GPM_COOP ashfront");
  EXPECT_EQ(rotation_.GetRunningLevelText(false, true, lookup),
            "Hue_Crossing Cooperative ashfront");
  EXPECT_EQ(rotation_.GetRunningLevelText(true, false, lookup), "-");
  reply["gametype"] = "deathmatch";
  EXPECT_EQ(rotation_.GetRunningLevelText(true, true, lookup), "-");
  reply["gametype"] = "customcombat";
  EXPECT_EQ(rotation_.GetRunningLevelText(false, true, lookup),
            "Hue_Crossing Custom Combat ashfront");
  reply.erase("game_id");
  EXPECT_EQ(rotation_.GetRunningLevelText(true, true, lookup), "-");
}

TEST_F(MapRotationTest, RandomizeMovesRowsWithTheirCheckMarks) {
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  rotation_.SetSortColumn(SortColumn::kMap);
  std::vector<std::string> before = RowTexts();
  rotation_.RandomizeOrder(42);
  std::vector<std::string> after = RowTexts();
  EXPECT_NE(before, after);
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(before, after);
  EXPECT_TRUE(rotation_.Dirty());
  EXPECT_EQ(rotation_.GetSortColumn(), SortColumn::kNone);

  tmp_.Write("Settings/Maps.con", "ashfront,ridge,1\n");
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList("game.addLevel ridge GPM_CQ ashfront\n"), false));
  rotation_.RandomizeOrder(7);
  EXPECT_EQ(RowTexts(), std::vector<std::string>{"+ridge/Conquest/ashfront"});
}

TEST_F(MapRotationTest, OnlyCheckMarkChangesMakeTheRotationDirty) {
  ASSERT_TRUE(rotation_.LoadMapRotation(WriteList(kList), false));
  rotation_.SetRowChecked(0, true);
  rotation_.SetRowChecked(99, false);
  EXPECT_FALSE(rotation_.Dirty());
  rotation_.SetRowChecked(0, false);
  EXPECT_TRUE(rotation_.Dirty());
  rotation_.ClearDirty();
  rotation_.SetAllChecked(true);
  EXPECT_TRUE(rotation_.Dirty());
  EXPECT_EQ(rotation_.RowLevelSpec(1), "hue GPM_EVOL ashfront");
  EXPECT_EQ(rotation_.RowLevelSpec(99), "");
}

TEST_F(MapRotationTest, ModMenuKeepsLinePositions) {
  std::string mods = "ashfront\n\nfrontier\n";
  for (int i = 0; i < 40; ++i) mods += "m" + std::to_string(i) + "\n";
  tmp_.Write("Settings/Mods.con", mods);
  std::vector<std::string> entries;
  ASSERT_TRUE(rotation_.ModMenuEntries(&entries));
  ASSERT_EQ(entries.size(), kModMenuLines);
  EXPECT_EQ(entries[0], "Show ASHFRONT maps");
  EXPECT_EQ(entries[1], "");
  EXPECT_EQ(entries[2], "Show FRONTIER maps");
}

TEST(GameModesTest, TableLookups) {
  EXPECT_EQ(ModeDisplayName("gpm_ccombat"), "Custom Combat");
  EXPECT_EQ(ModeDisplayName("GPM_X"), "");
  EXPECT_EQ(ModeIdFromDisplayName("cooperative"), "GPM_COOP");
  EXPECT_EQ(ModeBit("GPM_EVOL"), 4u);
  EXPECT_EQ(ModeBit("Conquest"), 0u);
  EXPECT_EQ(ModeIdFromBit(8), "GPM_CCOMBAT");
  EXPECT_EQ(ModeIdFromBit(3), "");
  EXPECT_EQ(ModeIdFromBit(1u << 31), "");
  EXPECT_EQ(ModeIdFromBit(0), "");
  EXPECT_EQ(ModeIdFromGameType("evolution"), "GPM_EVOL");
}

TEST(RotationLineTest, ModRunsToTheEndOfTheLine) {
  RotationLine line;
  ASSERT_TRUE(ParseRotationLine("game.addLevel  hue GPM_CQ my mod \r\n", &line));
  EXPECT_EQ(line.command, "game.addLevel");
  EXPECT_EQ(line.map, "hue");
  EXPECT_EQ(line.mode, "GPM_CQ");
  EXPECT_EQ(line.mod, "my mod");
  EXPECT_FALSE(ParseRotationLine("game.addLevel hue GPM_CQ \r\n", &line));
}

}  // namespace
}  // namespace varnholt
