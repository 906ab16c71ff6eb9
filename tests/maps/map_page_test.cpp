#include "maps/map_page.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class MapPageTest : public ::testing::Test {
 protected:
  MapPageTest()
      : log_(tmp_.path(), clock_),
        rotation_(tmp_.Sub("Mods/ashfront/Settings"), log_),
        catalog_(tmp_.path(), tmp_.Sub("Mods/ashfront/Settings"), log_) {
    tmp_.Write("Mods/ashfront/Settings/Mods.con", "ashfront\nfrontier\n");
    tmp_.Write("Mods/ashfront/Settings/Maps.con", "ashfront,hue,9\nfrontier,frost,8\n");
    tmp_.Write("Mods/ashfront/Settings/ServerMapList.con",
               "game.addLevel frost GPM_CCOMBAT frontier\n");
    EXPECT_TRUE(rotation_.LoadMapRotation(rotation_.ServerMapListPath(), false));
  }
  std::string Log() const { return tmp_.Read("Varnholt.log"); }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  MapRotation rotation_;
  ModCatalog catalog_;
};

TEST_F(MapPageTest, CommandActionsCarryTheClickedLevel) {
  // Rows: frost CC (checked), hue CQ, hue CC.
  MapCommand command;
  ASSERT_TRUE(MapActionCommand(rotation_, MapPageAction::kChangeMap, 1, true, &command));
  EXPECT_EQ(command.code, kChangeMapCommand);
  EXPECT_EQ(command.text, "hue GPM_CQ ashfront");
  ASSERT_TRUE(MapActionCommand(rotation_, MapPageAction::kClearIdleMap, -1, false, &command));
  EXPECT_EQ(command.code, kSetIdleMapCommand);
  EXPECT_EQ(command.text, "");
  ASSERT_TRUE(MapActionCommand(rotation_, MapPageAction::kRunNextMap, -1, true, &command));
  EXPECT_EQ(command.text, "");

  EXPECT_FALSE(MapActionCommand(rotation_, MapPageAction::kSetIdleMap, -1, true, &command));
  EXPECT_FALSE(MapActionCommand(rotation_, MapPageAction::kChangeMap, 1, false, &command));
  EXPECT_FALSE(MapActionCommand(rotation_, MapPageAction::kRestartMap, -1, false, &command));
  EXPECT_FALSE(MapActionCommand(rotation_, MapPageAction::kCheckAll, 0, true, &command));
  // Without a console, the next map must be a level of the rotation.
  EXPECT_FALSE(MapActionCommand(rotation_, MapPageAction::kSetNextMap, 1, false, &command));
  ASSERT_TRUE(MapActionCommand(rotation_, MapPageAction::kSetNextMap, 0, false, &command));
  EXPECT_EQ(command.text, "frost GPM_CCOMBAT frontier");
  EXPECT_TRUE(MapActionCommand(rotation_, MapPageAction::kSetNextMap, 1, true, &command));
}

TEST_F(MapPageTest, CommandActionsAreQueuedForTheLocalOperator) {
  CommandQueue queue(clock_, log_);
  EXPECT_TRUE(QueueMapAction(queue, rotation_, MapPageAction::kSetIdleMap, 2, false));
  EXPECT_TRUE(QueueMapAction(queue, rotation_, MapPageAction::kRestartMap, -1, true));
  // Unavailable or Command-less actions queue nothing.
  EXPECT_FALSE(QueueMapAction(queue, rotation_, MapPageAction::kChangeMap, 1, false));
  EXPECT_FALSE(QueueMapAction(queue, rotation_, MapPageAction::kRandomizeOrder, 1, true));
  ASSERT_EQ(queue.Count(), 2u);
  Command command;
  ASSERT_TRUE(queue.TakeExecutable(&command));
  EXPECT_EQ(command.code, kSetIdleMapCommand);
  EXPECT_STREQ(command.text, "hue GPM_CCOMBAT ashfront");
  EXPECT_EQ(command.number, 0);
  EXPECT_EQ(command.due, clock_.CalendarSeconds());
  ASSERT_TRUE(queue.TakeExecutable(&command));
  EXPECT_EQ(command.code, kRestartMapCommand);
  EXPECT_STREQ(command.text, "");
  queue.Stop();
  EXPECT_FALSE(QueueMapAction(queue, rotation_, MapPageAction::kRunNextMap, -1, true));
}

TEST_F(MapPageTest, NarrowingTheViewThenExportingKeepsTheWholeRotation) {
  const std::string list =
      "game.addLevel hue GPM_CQ ashfront\n"
      "game.addLevel frost GPM_CCOMBAT frontier\n"
      "game.addLevel hue GPM_CCOMBAT ashfront\n"
      "game.setCurrentLevel hue GPM_CQ ashfront\n";
  tmp_.Write("Mods/ashfront/Settings/ServerMapList.con", list);
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowCustomCombat, false, 0));
  ASSERT_TRUE(ToggleModFilter(rotation_, 0, false));
  EXPECT_EQ(rotation_.RowCount(), 0u);
  ASSERT_TRUE(ExportMapList(rotation_, tmp_.Sub("export.con")));
  EXPECT_EQ(tmp_.Read("export.con"), list);
  ASSERT_TRUE(ToggleModFilter(rotation_, 0, false));
  ASSERT_EQ(rotation_.RowCount(), 1u);
  rotation_.SetRowChecked(0, false);  // the only shown level leaves the rotation
  ASSERT_TRUE(ExportMapList(rotation_, tmp_.Sub("export.con")));
  EXPECT_EQ(tmp_.Read("export.con"),
            "game.addLevel frost GPM_CCOMBAT frontier\n"
            "game.addLevel hue GPM_CCOMBAT ashfront\n"
            "game.setCurrentLevel frost GPM_CCOMBAT frontier\n");
}

TEST_F(MapPageTest, FilterActionsReloadFromTheServerList) {
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowCustomCombat, false, 0));
  EXPECT_EQ(rotation_.ModeFilter(), 7u);
  EXPECT_EQ(rotation_.RowCount(), 1u);  // hue conquest
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowSelectedOnly, false, 0));
  EXPECT_EQ(rotation_.ModeFilter(), 0u);
  ASSERT_EQ(rotation_.RowCount(), 1u);
  EXPECT_EQ(rotation_.Rows()[0].map, "frost");
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowAllModes, false, 0));
  ASSERT_TRUE(ToggleModFilter(rotation_, 0, false));
  EXPECT_EQ(rotation_.ModFilter(), 0xFFFEu);
  EXPECT_EQ(rotation_.RowCount(), 1u);  // frontier only
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowAllMods, false, 0));
  EXPECT_EQ(rotation_.RowCount(), 3u);
  EXPECT_FALSE(ToggleModFilter(rotation_, 32, false));
}

TEST_F(MapPageTest, ImportMarksTheRotationForSaving) {
  const std::string path = tmp_.Write("import.con", "game.addLevel hue GPM_CQ ashfront\n");
  ASSERT_TRUE(ImportMapList(rotation_, path, false));
  EXPECT_TRUE(rotation_.Dirty());
  EXPECT_TRUE(rotation_.Rows()[0].checked);
  EXPECT_EQ(rotation_.Rows()[0].map, "hue");
}

TEST_F(MapPageTest, FailedImportLeavesTheRowsAndMarksNothing) {
  EXPECT_FALSE(ImportMapList(rotation_, tmp_.Sub("missing.con"), false));
  EXPECT_NE(Log().find("Couldn't open map list file! "), std::string::npos);
  EXPECT_FALSE(rotation_.Dirty());
  ASSERT_EQ(rotation_.RowCount(), 3u);
  EXPECT_TRUE(rotation_.Rows()[0].checked);
  EXPECT_EQ(rotation_.Rows()[0].map, "frost");
  EXPECT_STREQ(MapActionText(MapPageAction::kImportMapList), "Import maplist");
}

TEST_F(MapPageTest, ChangingTheViewKeepsUnsavedEdits) {
  // Rows: frost CC (checked), hue CQ, hue CC. Check hue CC: an unsaved edit.
  rotation_.SetRowChecked(2, true);
  ASSERT_TRUE(rotation_.Dirty());
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowCustomCombat, false, 0));
  EXPECT_EQ(rotation_.RowCount(), 1u);  // hue CQ; both checked levels are hidden now
  EXPECT_EQ(rotation_.HiddenLevels().size(), 2u);
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowSelectedOnly, false, 0));
  ASSERT_EQ(rotation_.RowCount(), 2u);
  EXPECT_EQ(rotation_.RowLevelSpec(0), "frost GPM_CCOMBAT frontier");
  EXPECT_EQ(rotation_.RowLevelSpec(1), "hue GPM_CCOMBAT ashfront");
  ASSERT_TRUE(ApplyMapPageAction(rotation_, MapPageAction::kShowAllModes, false, 0));
  ASSERT_EQ(rotation_.RowCount(), 3u);
  EXPECT_TRUE(rotation_.Rows()[1].checked);
  EXPECT_EQ(rotation_.RowLevelSpec(1), "hue GPM_CCOMBAT ashfront");
  EXPECT_TRUE(rotation_.Dirty());
}

TEST_F(MapPageTest, RefreshGoesOnAfterAFailedStep) {
  // A folder where Mods.con belongs: both catalogue steps fail, the rotation still loads.
  RemoveFile(tmp_.Sub("Mods/ashfront/Settings/Mods.con"));
  ASSERT_TRUE(CreateFolders(tmp_.Sub("Mods/ashfront/Settings/Mods.con")));
  EXPECT_FALSE(RefreshMapsPage(catalog_, rotation_, log_, false));
  const std::string log = Log();
  EXPECT_NE(log.find("Couldn't refresh available mods!"), std::string::npos);
  EXPECT_NE(log.find("Couldn't refresh available maps!"), std::string::npos);
  EXPECT_EQ(log.find("Couldn't refresh map rotation!"), std::string::npos);
  EXPECT_EQ(rotation_.RowCount(), 3u);
}

}  // namespace
}  // namespace varnholt
