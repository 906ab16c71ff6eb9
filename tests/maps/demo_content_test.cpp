// The demo installation as the program meets it at start-up: built by the demo script with
// the archive tool, then the default mode files extracted and the catalogue discovered.
#include <gtest/gtest.h>

#include <cstdlib>

#include "maps/default_game_modes.h"
#include "maps/mod_catalog.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(DemoContentTest, StartUpExtractsAndDiscoversTheDemoGame) {
  TempFolder game;
  game.Write("Mods/ashfront/init.con", "");
  game.Write("Mods/ashfront/Settings/Varnholt.con", "");
  const std::string command = std::string("'" VARNHOLT_SOURCE_DIR "/scripts/demo-content.sh' '") +
                              game.path() + "' '" RFA_PACK_PATH "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  ManualClock clock;
  EventLog log(game.path(), clock);
  ASSERT_TRUE(ExtractDefaultGameModeFiles(game.path(), log));
  for (const char* kind : {"Evolution", "CustomCombat"}) {
    std::string source;
    ASSERT_TRUE(ReadWholeFile(std::string(VARNHOLT_SOURCE_DIR) +
                                  "/demo/content/ashfront/GameModeSettings/Default" + kind + ".wst",
                              &source));
    EXPECT_EQ(game.Read(std::string("Mods/ashfront/save/GameModeSettings/") + kind + ".wst"),
              source);
  }
  ModCatalog catalog(game.path(), game.Sub("Mods/ashfront/Settings"), log);
  ASSERT_TRUE(DiscoverModsAndMaps(catalog, log));
  EXPECT_EQ(game.Read("Mods/ashfront/Settings/Mods.con"), "ashfront\nfrontier\n");
  EXPECT_EQ(game.Read("Mods/ashfront/Settings/Maps.con"),
            "ashfront,greywater,10\n"
            "ashfront,hue,15\n"
            "ashfront,ironhold,13\n"
            "ashfront,ridgeline,13\n"
            "ashfront,saltmarsh,15\n"
            "frontier,cinder_ridge,10\n"
            "frontier,dustbowl,9\n"
            "frontier,frostbite,15\n"
            "frontier,lighthouse,8\n");
  EXPECT_EQ(game.Read("Varnholt.log"), "");
}

}  // namespace
}  // namespace varnholt
