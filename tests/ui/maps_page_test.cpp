// The Maps page on the demo installation: the rows and check marks of the rotation, the
// check-mark clicks and menu actions that edit it, the map Commands against the real sim,
// and the map list files.
#include "ui/maps_page.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QHeaderView>
#include <QTreeWidget>
#include <QtTest/QtTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "maps/map_page.h"
#include "support/free_port.h"
#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

class MapsPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override {
    MakeDemo();
    // A listener port of its own, so that tests running side by side do not meet.
    ASSERT_TRUE(StartProgram(nullptr, {"-port", std::to_string(testing::FreePort(SOCK_STREAM))}));
  }
  // What the list shows: "mod mode map" per row, with "+" before a checked one.
  std::vector<std::string> Shown(const MapsPage& page) {
    std::vector<std::string> rows;
    QTreeWidget* list = page.List();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      rows.push_back(std::string(item->checkState(0) == Qt::Checked ? "+" : "") +
                     item->text(0).toStdString() + " " + item->text(1).toStdString() + " " +
                     item->text(2).toStdString());
    }
    return rows;
  }
  // The same from the rotation itself.
  std::vector<std::string> Rotation() {
    std::vector<std::string> rows;
    for (const RotationRow& r : program().Rotation().Rows()) {
      rows.push_back(std::string(r.checked ? "+" : "") + r.mod + " " + r.mode + " " + r.map);
    }
    return rows;
  }
  bool Logged(const std::string& text) { return Log().find(text) != std::string::npos; }
  static const MenuEntry* Find(const std::vector<MenuEntry>& entries, const std::string& text) {
    for (const MenuEntry& e : entries) {
      if (e.text == text) return &e;
    }
    return nullptr;
  }
};

TEST_F(MapsPageTest, ShowsTheRotationCheckedAndFirstAndEditsItWithClicksAndTheMenu) {
  MapsPage page(program());
  page.Reload();
  const std::vector<std::string> shown = Shown(page);
  ASSERT_EQ(shown, Rotation());
  // The demo's rotation, in its order, before the other levels.
  ASSERT_GE(shown.size(), 5u);
  EXPECT_EQ(shown[0], "+ashfront Conquest hue");
  EXPECT_EQ(shown[1], "+ashfront Cooperative greywater");
  EXPECT_EQ(shown[2], "+frontier Conquest frostbite");
  EXPECT_EQ(shown[3], "+ashfront Conquest ironhold");
  EXPECT_EQ(shown[4].rfind('+', 0), std::string::npos);
  EXPECT_FALSE(program().Rotation().Dirty());

  // A click on a check box edits the rotation at once.
  page.List()->topLevelItem(4)->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(program().Rotation().Rows()[4].checked);
  EXPECT_TRUE(program().Rotation().Dirty());

  // "Uncheck all maps", then "Check selected maps" on the selected row only.
  const std::vector<MenuEntry> plain = page.MenuEntries(0);
  EXPECT_EQ(Find(plain, "Check selected maps"), nullptr);
  page.RunMenuAction(static_cast<int>(MapPageAction::kUncheckAll), 0);
  for (const std::string& row : Shown(page)) EXPECT_EQ(row.rfind('+', 0), std::string::npos);
  page.List()->topLevelItem(2)->setSelected(true);
  const std::vector<MenuEntry> with_selection = page.MenuEntries(2);
  ASSERT_NE(Find(with_selection, "Check selected maps"), nullptr);
  page.RunMenuAction(Find(with_selection, "Check selected maps")->action, 2);
  EXPECT_EQ(Shown(page), Rotation());
  EXPECT_EQ(Shown(page)[2], "+frontier Conquest frostbite");
  // The selection stays on its row through the refresh.
  EXPECT_TRUE(page.List()->topLevelItem(2)->isSelected());

  // "Show selected only" lists just the rotation; the mod entries come from Mods.con.
  page.RunMenuAction(static_cast<int>(MapPageAction::kShowSelectedOnly), -1);
  EXPECT_EQ(Shown(page), std::vector<std::string>{"+frontier Conquest frostbite"});
  const std::vector<MenuEntry> entries = page.MenuEntries(-1);
  EXPECT_NE(Find(entries, "Show ASHFRONT maps"), nullptr);
  EXPECT_NE(Find(entries, "Show FRONTIER maps"), nullptr);
  page.RunMenuAction(static_cast<int>(MapPageAction::kShowAllModes), -1);
  EXPECT_EQ(Shown(page), Rotation());
  EXPECT_GE(Shown(page).size(), 5u);

  // A click on a column heading sorts by it; "Remove column sort" brings the order back.
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  QHeaderView* header = page.List()->header();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(header->sectionViewportPosition(2) + 5, 5));
  std::vector<std::string> maps;
  for (int i = 0; i < page.List()->topLevelItemCount(); ++i) {
    maps.push_back(page.List()->topLevelItem(i)->text(2).toStdString());
  }
  EXPECT_TRUE(std::is_sorted(maps.begin(), maps.end()));
  EXPECT_EQ(Shown(page), Rotation());
  page.RunMenuAction(static_cast<int>(MapPageAction::kRemoveColumnSort), -1);
  EXPECT_EQ(Shown(page)[0], "+frontier Conquest frostbite");
  EXPECT_EQ(Shown(page), Rotation());
}

TEST_F(MapsPageTest, MapCommandsWaitForTheConsoleAndChangeTheMapOnTheServer) {
  MapsPage page(program());
  page.Reload();
  auto enabled = [&](MapPageAction action, int row) {
    for (const MenuEntry& e : page.MenuEntries(row)) {
      if (e.action == static_cast<int>(action)) return e.enabled;
    }
    return false;
  };
  EXPECT_FALSE(enabled(MapPageAction::kChangeMap, 0));
  EXPECT_FALSE(enabled(MapPageAction::kRestartMap, 0));
  // Without a console the next map must be one of the rotation.
  EXPECT_TRUE(enabled(MapPageAction::kSetNextMap, 0));
  EXPECT_FALSE(enabled(MapPageAction::kSetNextMap, 4));

  ASSERT_TRUE(StartServer());
  EXPECT_TRUE(enabled(MapPageAction::kChangeMap, 3));
  page.RunMenuAction(static_cast<int>(MapPageAction::kChangeMap), 3);
  const std::string changed =
      "User operator at console changed the map to ironhold GPM_CQ ashfront.";
  EXPECT_TRUE(ProcessUntil([&] { return Logged(changed); }, 10000)) << Log();
}

TEST_F(MapsPageTest, ExportAndImportMapListFiles) {
  MapsPage page(program());
  page.Reload();
  const std::vector<std::string> before = Shown(page);
  const std::string path = game().Sub("Saved.con");
  ASSERT_TRUE(page.ExportMapList(path));
  const std::string text = game().Read("Saved.con");
  EXPECT_NE(text.find("game.addLevel hue GPM_CQ ashfront\n"), std::string::npos);
  EXPECT_NE(text.find("game.addLevel ironhold GPM_CQ ashfront\n"), std::string::npos);

  page.RunMenuAction(static_cast<int>(MapPageAction::kUncheckAll), -1);
  program().Rotation().ClearDirty();
  ASSERT_TRUE(page.ImportMapList(path));
  EXPECT_EQ(Shown(page), before);
  EXPECT_TRUE(program().Rotation().Dirty());

  // A file that cannot be read leaves the rows as they were; a folder cannot be written.
  page.RunMenuAction(static_cast<int>(MapPageAction::kUncheckAll), -1);
  const std::vector<std::string> unchecked = Shown(page);
  EXPECT_FALSE(page.ImportMapList(game().Sub("missing.con")));
  EXPECT_EQ(Shown(page), unchecked);
  presenter().Answer(kButtonOk);
  EXPECT_FALSE(page.ExportMapList(game().path()));
  ASSERT_FALSE(presenter().Boxes().empty());
  EXPECT_NE(presenter().Boxes().back().text.find("Couldn't save maplist file!"), std::string::npos);
}

// Not a check: the time of a refresh (rows and painting) with 2,000 levels, printed for the record.
TEST_F(MapsPageTest, TimesTheRefreshOfTwoThousandLevels) {
  std::string catalog;
  for (int i = 0; i < 2000; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "ashfront,level%04d,1\r\n", i);
    catalog += line;
  }
  const std::string maps_path = program().Catalog().MapsFilePath();
  game().Write(maps_path.substr(game().path().size() + 1), catalog);
  ASSERT_TRUE(
      program().Rotation().LoadMapRotation(program().Rotation().ServerMapListPath(), false));
  ASSERT_EQ(program().Rotation().RowCount(), 2000u);

  MapsPage page(program());
  // Shown, so that the time includes laying out and painting the rows.
  page.resize(900, 600);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  auto refresh = [&] {
    page.Reload();
    page.List()->viewport()->repaint();
  };
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  const auto t0 = Clock::now();
  refresh();
  const auto t1 = Clock::now();
  page.List()->topLevelItem(1500)->setSelected(true);
  program().Rotation().SetRowChecked(10, true);
  program().Rotation().RandomizeOrder(7);
  const auto t2 = Clock::now();
  refresh();
  const auto t3 = Clock::now();
  refresh();
  const auto t4 = Clock::now();
  ASSERT_EQ(page.List()->topLevelItemCount(), 2000);
  EXPECT_EQ(page.List()->selectedItems().size(), 1);
  std::printf(
      "[ timing ] Maps list, 2000 levels: first fill %.1f ms, reordered %.1f ms, "
      "unchanged %.3f ms\n",
      ms(t1 - t0), ms(t3 - t2), ms(t4 - t3));
}

}  // namespace
}  // namespace varnholt
