#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/last_error.h"
#include "settings_store_fixture.h"

namespace varnholt {
namespace {

namespace fs = std::filesystem;
namespace rows = setting_rows;
using Store = SettingsStoreFixture;

constexpr uint32_t kApply = 0xB00B001B;

TEST_F(Store, SavingWithNothingChangedOnlyRewritesTheAutoexecFile) {
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_FALSE(FileExists(Settings("Varnholt.con")));
  EXPECT_EQ(CountLogged("User "), 0u);
  EXPECT_TRUE(Queued().empty());
  EXPECT_EQ(tmp_.Read("Mods/ashfront/Settings/ServerAutoexec.con").substr(0, 50),
            "admin.enableRemoteConsole UserName Lanterns 5711\r\n");
}

TEST_F(Store, ChangesAreAuditedInTheOriginatorsNameSavedAndSnapshotted) {
  table_.SetInt("manager.autoKickScoreValue", 8);
  table_.SetAddress("game.serverIP", 0xC0A8000A);
  table_.SetInt("admin.voteMapMajority", 75);
  table_.SetText("game.serverName", "Front Line");
  ASSERT_TRUE(store_.SaveAllChanges(SettingsUser{"alice", "10.0.0.5", false}));

  EXPECT_TRUE(
      Logged("User alice at 10.0.0.5 changed game.serverName from [AFSERVER] to [Front Line]."));
  EXPECT_TRUE(Logged("User alice at 10.0.0.5 changed game.serverIP from 0.0.0.0 to 192.168.0.10."));
  EXPECT_TRUE(Logged("User alice at 10.0.0.5 changed manager.autoKickScoreValue from -6 to -8."));
  EXPECT_TRUE(Logged("User alice at 10.0.0.5 changed admin.voteMapMajority from 60 to 75."));
  EXPECT_EQ(CountLogged("User "), 4u);
  std::string saved = tmp_.Read("Mods/ashfront/Settings/Varnholt.con");
  EXPECT_NE(saved.find("manager.autoKickScoreValue -8\r\n"), std::string::npos);
  EXPECT_NE(saved.find("game.serverIP 192.168.0.10\r\n"), std::string::npos);
  // Not connected: the snapshot moves at once and no push is queued.
  EXPECT_TRUE(table_.RowsChangedSinceSnapshot().empty());
  EXPECT_EQ(Notified(), std::vector<uint32_t>{0xBEEF000B});
  EXPECT_EQ(Queued().size(), 1u);

  logged_.clear();
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_EQ(CountLogged("User "), 0u);
}

TEST_F(Store, WhileConnectedTheSaveQueuesThePushWhichMovesTheSnapshot) {
  link_.connected = true;
  table_.SetInt("admin.timeLimit", 20);
  ASSERT_TRUE(store_.SaveAllChanges());
  auto queued = Queued();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[0].first, kApply);
  EXPECT_EQ(Notified(), std::vector<uint32_t>{0xBEEF000B});
  EXPECT_EQ(table_.RowsChangedSinceSnapshot(), std::vector<int>{SettingRowOf("admin.timeLimit")});
  // The autoexec file already holds the value the push sends.
  EXPECT_NE(tmp_.Read("Mods/ashfront/Settings/ServerAutoexec.con").find("admin.timeLimit 1200\r\n"),
            std::string::npos);
}

// A list of another subsystem, saved into a real file.
struct ListState {
  bool dirty = true;
  bool fail = false;
  std::string saved_to;
  SavedListHooks Hooks() {
    return {.load = {},
            .save =
                [this](const std::string& path) {
                  if (fail) {
                    SetLastErrorCode(kErrorAccessDenied);
                    return false;
                  }
                  saved_to = path;
                  return WriteWholeFile(path, "x\r\n");
                },
            .dirty = [this] { return dirty; },
            .clear_dirty = [this] { dirty = false; }};
  }
};

TEST_F(Store, AFailingListSaveLeavesTheLaterListsForTheNextSave) {
  ListState lists[kSavedListCount];
  for (int i = 0; i < kSavedListCount; ++i) {
    store_.SetListHooks(static_cast<SavedList>(i), lists[i].Hooks());
  }
  lists[1].fail = true;
  store_.MarkAnnouncementsEdited();
  EXPECT_FALSE(store_.SaveAllChanges());
  EXPECT_TRUE(Logged("User operator at console updated the map rotation."));
  EXPECT_FALSE(lists[0].dirty);
  EXPECT_EQ(lists[0].saved_to, Settings("ServerMapList.con"));
  EXPECT_EQ(CountLogged("Couldn't save banlist file! "), 1u);
  EXPECT_TRUE(lists[1].dirty && lists[2].dirty && lists[3].dirty);
  EXPECT_TRUE(lists[2].saved_to.empty());
  EXPECT_FALSE(FileExists(Settings("ServerAutoexec.con")));
  EXPECT_EQ(Notified(), std::vector<uint32_t>{0xBEEF000C});

  lists[1].fail = false;
  logged_.clear();
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_EQ(logged_,
            (std::vector<std::string>{"User operator at console updated the banlist.",
                                      "User operator at console updated the user list.",
                                      "User operator at console updated the event schedule.",
                                      "User operator at console updated the announcements."}));
  EXPECT_EQ(lists[3].saved_to, Settings("ServerSchedule.con"));
  EXPECT_TRUE(FileExists(Settings("ServerAutoexec.con")));
}

// What quitting and switching the configuration ask about before they could lose edits.
TEST_F(Store, UnsavedChangesAreSettingsListsAndEditedFilesUntilTheSave) {
  ListState lists[kSavedListCount];
  for (int i = 0; i < kSavedListCount; ++i) {
    lists[i].dirty = false;
    store_.SetListHooks(static_cast<SavedList>(i), lists[i].Hooks());
  }
  EXPECT_FALSE(store_.HasUnsavedChanges());
  table_.SetInt("admin.timeLimit", 20);
  EXPECT_TRUE(store_.HasUnsavedChanges());
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_FALSE(store_.HasUnsavedChanges());
  lists[2].dirty = true;
  EXPECT_TRUE(store_.HasUnsavedChanges());
  ASSERT_TRUE(store_.SaveAllChanges());
  store_.MarkPunkBusterSettingsEdited();
  EXPECT_TRUE(store_.HasUnsavedChanges());
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_FALSE(store_.HasUnsavedChanges());
}

TEST_F(Store, StartLoadsDefaultsWithTheMachinesAddressFirstAndIsAlwaysDedicated) {
  tmp_.Write("Mods/ashfront/Settings/Varnholt.con", "");
  std::vector<std::string> loaded;
  for (SavedList list : {SavedList::kRotation, SavedList::kSchedule}) {
    store_.SetListHooks(list, {.load = [&loaded](const std::string& path) {
                          loaded.push_back(fs::path(path).filename().string());
                          return true;
                        }});
  }
  ASSERT_TRUE(store_.LoadAllAtStart(0x0A010203));
  EXPECT_NE(tmp_.Read("Mods/ashfront/Settings/Varnholt.con").find("game.serverIP 10.1.2.3\r\n"),
            std::string::npos);
  EXPECT_EQ(loaded, (std::vector<std::string>{"ServerMapList.con", "ServerSchedule.con"}));
  EXPECT_TRUE(table_.RowsChangedSinceSnapshot().empty());

  tmp_.Write("Mods/ashfront/Settings/Varnholt.con", "game.serverDedicated 0\r\n");
  table_.SetInt(rows::kServerDedicated, 0);
  ASSERT_TRUE(store_.LoadAllAtStart(0));
  EXPECT_EQ(table_.GetInt(rows::kServerDedicated), 1);

  // A list that cannot be loaded ends the start before the later lists.
  loaded.clear();
  store_.SetListHooks(SavedList::kBanList, {.load = [](const std::string&) {
                        SetLastErrorCode(kErrorInvalidData);
                        return false;
                      }});
  EXPECT_FALSE(store_.LoadAllAtStart(0));
  EXPECT_EQ(CountLogged("Couldn't load banlist file! "), 1u);
  EXPECT_EQ(loaded, std::vector<std::string>{"ServerMapList.con"});
}

TEST_F(Store, PunkBusterSettingsAreLoadedIntoARunningServer) {
  bool running = false;
  store_.SetHooks(
      {.server_running = [&] { return running; }, .punkbuster_enabled = [] { return true; }});
  store_.MarkPunkBusterSettingsEdited();
  ASSERT_TRUE(store_.SaveAllChanges());  // not running: it reads the file when it starts
  EXPECT_TRUE(Logged("User operator at console updated the PunkBuster server settings."));
  EXPECT_FALSE(store_.PunkBusterSettingsEdited());

  running = true;
  store_.MarkPunkBusterSettingsEdited();
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_TRUE(Logged("Couldn't load PunkBuster settings! Not connected."));
  EXPECT_TRUE(store_.PunkBusterSettingsEdited());

  link_.connected = true;
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_EQ(link_.commands, std::vector<std::string>{"pb_sv_load pbsv.cfg"});
  EXPECT_TRUE(Logged("PunkBuster settings have been loaded from pbsv.cfg."));
  EXPECT_FALSE(store_.PunkBusterSettingsEdited());
  EXPECT_EQ(Notified(), std::vector<uint32_t>{0xBEEF0012});
}

class CustomCombat : public SettingsStoreFixture {
 protected:
  std::string Game() const { return tmp_.Sub(kCustomCombatServerFile); }
  std::string Working() const { return tmp_.Sub("CustomCombat.wst"); }
  void Age(const std::string& path, int seconds) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
  }
};

TEST_F(CustomCombat, AMissingWorkingCopyNeverFailsTheSave) {
  tmp_.Write(kCustomCombatServerFile, "<game/>");
  ASSERT_TRUE(store_.SaveAllChanges());
  store_.MarkCustomCombatChanged();
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_FALSE(store_.CustomCombatChanged());
  EXPECT_EQ(tmp_.Read(kCustomCombatServerFile), "<game/>");
}

TEST_F(CustomCombat, TheGamesNewerFileIsKeptAndANewerWorkingCopyReplacesIt) {
  tmp_.Write("CustomCombat.wst", "<old operator copy/>");
  Age(Working(), 600);
  tmp_.Write(kCustomCombatServerFile, "<written by the game/>");
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_EQ(tmp_.Read(kCustomCombatServerFile), "<written by the game/>");
  EXPECT_EQ(CountLogged("User operator at console updated the CustomCombat"), 0u);

  tmp_.Write("CustomCombat.wst", "<edited/>");
  Age(Game(), 600);
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_EQ(tmp_.Read(kCustomCombatServerFile), "<edited/>");
  EXPECT_TRUE(Logged("User operator at console updated the CustomCombat settings."));
  EXPECT_EQ(Notified(), std::vector<uint32_t>{0xBEEF0013});

  // Copied once; the next save has nothing to do.
  ASSERT_TRUE(store_.SaveAllChanges());
  EXPECT_EQ(CountLogged("User operator at console updated the CustomCombat"), 1u);
}

TEST_F(CustomCombat, ACopyThatFailsStopsTheSave) {
  tmp_.Write("CustomCombat.wst", "<edited/>");
  CreateFolders(Game());  // a folder where the file should be
  EXPECT_FALSE(store_.SaveAllChanges());
  EXPECT_EQ(CountLogged("Couldn't update the custom combat server file! "), 1u);
  EXPECT_TRUE(store_.CustomCombatChanged());
  EXPECT_FALSE(FileExists(Settings("ServerAutoexec.con")));
}

}  // namespace
}  // namespace varnholt
