#include <gtest/gtest.h>

#include "maps/archive_writer.h"
#include "maps/mod_catalog.h"
#include "maps_test_support.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::BuildArchive;
using testing::TempFolder;

constexpr const char* kEvolution =
    "<?xml version=\"1.0\"?>\n"
    "<evolution>\n"
    "  <maps>\n"
    "    <map_ name=\"Hue\" rounds=\"3\"/>\n"
    "    <map_ name=\"ridge\"/>\n"
    "  </maps>\n"
    "</evolution>\n";

class CatalogTest : public ::testing::Test {
 protected:
  CatalogTest()
      : log_(tmp_.path(), clock_),
        settings_(tmp_.Sub("Mods/ashfront/Settings")),
        catalog_(tmp_.path(), settings_, log_) {}

  void AddLevel(const std::string& mod, const std::string& file,
                const std::vector<std::string>& names, bool header = false) {
    ArchiveWriter writer(header);
    for (const std::string& n : names) writer.AddStored(n, "x");
    tmp_.Write("Mods/" + mod + "/Archives/AshFront/Levels/" + file, BuildArchive(writer));
  }

  // A small installation: a base game, a mod that overrides one of its levels, a folder
  // that is no mod and a mod without levels.
  void MakeInstallation() {
    tmp_.Write("Mods/ashfront/Init.con", "");
    tmp_.Write("Mods/AFBASE/init.con", "");
    tmp_.Write("Mods/expansion/Init.con", "");
    tmp_.Write("Mods/empty/Init.con", "");
    tmp_.Write("Mods/broken/readme.txt", "");
    tmp_.Write("Mods/loose.txt", "");
    AddLevel("ashfront", "hue.rfa",
             {"levels/hue/info.desc", "levels/hue/GameTypes/Conquest.con",
              "levels/hue/gametypes/coop.con"},
             true);
    AddLevel("ashfront", "hue_000.rfa", {"levels/hue/gametypes/conquest.con"});
    AddLevel("ashfront", "Ridge.RFA", {"levels/ridge/info.desc"});
    tmp_.Write("Mods/ashfront/Archives/AshFront/Levels/notes.txt", "");
    AddLevel("AFBASE", "ford.rfa", {"Levels/Ford/GameTypes/Coop.con"});
    AddLevel("expansion", "Ford.rfa", {"levels/ford/gametypes/CONQUEST.CON"});
    tmp_.Write("Mods/AshFront/save/GameModeSettings/Evolution.wst", kEvolution);
  }

  std::string Log() const { return tmp_.Read("Varnholt.log"); }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  std::string settings_;
  ModCatalog catalog_;
};

TEST_F(CatalogTest, BuildsModsAndMapsFromTheInstallation) {
  MakeInstallation();
  ASSERT_TRUE(DiscoverModsAndMaps(catalog_, log_));
  EXPECT_EQ(tmp_.Read("Mods/ashfront/Settings/Mods.con"), "AFBASE\nashfront\nempty\nexpansion\n");
  // Base coop + own conquest = 11; every level has custom combat; patch archives and
  // other files are no levels; the evolution file names hue (ridge is a second map_ of the same
  // maps).
  EXPECT_EQ(tmp_.Read("Mods/ashfront/Settings/Maps.con"),
            "AFBASE,ford,10\n"
            "ashfront,hue,15\n"
            "ashfront,ridge,8\n"
            "expansion,ford,11\n");
  EXPECT_EQ(Log().find("DEBUG"), std::string::npos);

  std::vector<MapCatalogLine> lines;
  ASSERT_TRUE(ReadMapCatalog(catalog_.MapsFilePath(), &lines));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].mod, "expansion");
  EXPECT_EQ(lines[3].level, "ford");
  EXPECT_EQ(lines[3].mask, 11u);
}

TEST_F(CatalogTest, DebugReportsFoldersWithoutInitFile) {
  MakeInstallation();
  catalog_.SetDebug(true);
  ASSERT_TRUE(catalog_.BuildModList(catalog_.ModsFilePath()));
  EXPECT_NE(Log().find("DEBUG: Couldn't detect init.con for mod broken!"), std::string::npos);
}

TEST_F(CatalogTest, MissingModsFolderFailsTheStartUpDiscovery) {
  ModCatalog catalog(tmp_.path(), tmp_.Sub("settings"), log_);
  EXPECT_FALSE(DiscoverModsAndMaps(catalog, log_));
  EXPECT_NE(Log().find("Couldn't detect available mods! "), std::string::npos);
  EXPECT_NE(Log().find("Couldn't determine available mods! "), std::string::npos);
}

TEST_F(CatalogTest, MapListNeedsTheModList) {
  MakeInstallation();
  EXPECT_FALSE(catalog_.BuildMapList(catalog_.MapsFilePath()));
  EXPECT_NE(Log().find("Couldn't open mods file! "), std::string::npos);
}

TEST_F(CatalogTest, ModNamesThatCannotBeModsAreIgnored) {
  MakeInstallation();
  tmp_.Write("Mods/ashfront/Settings/Mods.con",
             "../AFBASE\n" + std::string(40, 'm') + "\n\n  expansion \r\n");
  ASSERT_TRUE(catalog_.BuildMapList(catalog_.MapsFilePath()));
  EXPECT_EQ(tmp_.Read("Mods/ashfront/Settings/Maps.con"), "expansion,ford,11\n");

  // A folder whose name holds a line break is no mod line.
  tmp_.Write("Mods/two\nlines/Init.con", "");
  ASSERT_TRUE(catalog_.BuildModList(catalog_.ModsFilePath()));
  EXPECT_EQ(tmp_.Read("Mods/ashfront/Settings/Mods.con"), "AFBASE\nashfront\nempty\nexpansion\n");
}

TEST_F(CatalogTest, EvolutionProblemsCostOnlyTheEvolutionBit) {
  MakeInstallation();
  tmp_.Write("Mods/AshFront/save/GameModeSettings/Evolution.wst",
             "<evolution>\n<maps>\n<map_ name=\"hue\"/>\n<broken\n");
  ASSERT_TRUE(DiscoverModsAndMaps(catalog_, log_));
  EXPECT_EQ(tmp_.Read("Mods/ashfront/Settings/Maps.con"),
            "AFBASE,ford,10\nashfront,hue,15\nashfront,ridge,8\nexpansion,ford,11\n");
  const std::string log = Log();
  const std::string line = "Couldn't parse Evolution.wst! unclosed token at line 4.";
  ASSERT_NE(log.find(line), std::string::npos) << log;
  // Parsed once per build, not once per level.
  EXPECT_EQ(log.find(line), log.rfind(line));

  RemoveFile(catalog_.EvolutionFilePath());
  EXPECT_EQ(catalog_.IsEvolutionLevel("hue"), 0u);
  EXPECT_NE(Log().find("Couldn't open Evolution data file! "), std::string::npos);
}

TEST_F(CatalogTest, UnreadableArchiveAddsNoModeBits) {
  EXPECT_EQ(catalog_.ArchiveGameTypes(tmp_.Sub("none.rfa")), 0u);
  EXPECT_NE(Log().find("Couldn't open file " + tmp_.Sub("none.rfa") + "! "), std::string::npos);
}

TEST(MapCatalogFileTest, SkipsMalformedLines) {
  TempFolder tmp;
  const std::string path =
      tmp.Write("Maps.con", "a,hue,9\r\n,x,8\nb,,8\nc,ford\nd,ford,x\ne,ford,99\nf,ridge,8");
  std::vector<MapCatalogLine> lines;
  ASSERT_TRUE(ReadMapCatalog(path, &lines));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].mod + lines[0].level, "ahue");
  EXPECT_EQ(lines[0].mask, 9u);
  EXPECT_EQ(lines[1].level, "ridge");
  EXPECT_FALSE(ReadMapCatalog(tmp.Sub("missing.con"), &lines));
}

}  // namespace
}  // namespace varnholt
