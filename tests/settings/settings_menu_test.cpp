#include "settings/settings_menu.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings_store_fixture.h"
#include "support/child_process.h"

namespace varnholt {
namespace {

using testing::WaitUntil;

// Sets an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old, had_ = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

class Menu : public SettingsStoreFixture {
 protected:
  Menu() : menu_(store_) {
    menu_.SetServerControl(
        {.running = [this] { return running_; },
         .stop = [this] { return Event("stop"), running_ = false, true; },
         .start = [this] { return Event("start"), running_ = true, true; },
         .pump_wait = [this](uint32_t ms) { Event("wait " + std::to_string(ms)); }});
  }
  void Event(const std::string& what) {
    events_.push_back(what + " players=" + std::to_string(table_.GetInt("game.serverMaxPlayers")));
  }
  // A program that records its arguments in `record`, using only the shell's builtins.
  std::string Recorder(const std::string& name, const std::string& record) {
    std::string path = tmp_.Write("bin/" + name, "#!/bin/sh\necho \"$@\" > " + record + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }

  SettingsMenu menu_;
  bool running_ = true;
  std::vector<std::string> events_;
};

TEST_F(Menu, SwitchingTheConfigRestartsTheServerWithTheNewSettings) {
  std::string path = tmp_.Write("Tournament.con", "game.serverMaxPlayers 16\r\n");
  ASSERT_TRUE(menu_.SwitchServerConfig(path));
  EXPECT_EQ(events_, (std::vector<std::string>{"stop players=32", "wait 3000 players=32",
                                               "start players=16"}));
  EXPECT_TRUE(Logged("Performing config switch to settings in " + path + "."));
  EXPECT_TRUE(Logged("User operator at console changed game.serverMaxPlayers from 32 to 16."));
  // Permanent only with the next save, which audits it against the snapshot.
  EXPECT_FALSE(FileExists(Settings("Varnholt.con")));

  events_.clear();
  EXPECT_FALSE(menu_.SwitchServerConfig(tmp_.Sub("missing.con")));
  EXPECT_TRUE(Logged("Couldn't load settings!"));
  EXPECT_EQ(events_, (std::vector<std::string>{"stop players=16", "wait 3000 players=16"}));
}

TEST_F(Menu, ImportAuditsAndHonoursTheCriticalRight) {
  std::string path = tmp_.Write("In.con", "game.serverPort 20000\r\ngame.serverMaxPlayers 8\r\n");
  ASSERT_TRUE(menu_.ImportServerSettings(path, SettingsUser{"bob", "10.0.0.7", false}));
  // Both rows are critical: a user without the right changes neither.
  EXPECT_EQ(table_.GetInt("game.serverPort"), 15567);
  EXPECT_EQ(CountLogged("User "), 0u);
  ASSERT_TRUE(menu_.ImportServerSettings(path));
  EXPECT_EQ(table_.GetInt("game.serverPort"), 20000);
  EXPECT_TRUE(Logged("User operator at console changed game.serverPort from 15567 to 20000."));

  EXPECT_FALSE(menu_.ExportServerSettings(tmp_.Sub("In.con/Out.con")));
  EXPECT_TRUE(Logged("Couldn't save settings!"));
}

TEST_F(Menu, PunkBusterConfigOpensInTheUsersEditor) {
  std::string record = tmp_.Sub("opened");
  ScopedEnv visual("VISUAL", Recorder("edit", record));
  ASSERT_TRUE(menu_.EditPunkBusterSettings());
  ASSERT_TRUE(WaitUntil([&] { return tmp_.Read("opened").find('\n') != std::string::npos; }));
  EXPECT_EQ(tmp_.Read("opened"), tmp_.Sub("pb/pbsv.cfg") + "\n");
  EXPECT_TRUE(store_.PunkBusterSettingsEdited());

  ScopedEnv missing("VISUAL", tmp_.Sub("no-such-editor"));
  EXPECT_FALSE(menu_.EditPunkBusterSettings());
  EXPECT_EQ(CountLogged("Couldn't open PunkBuster config file for editing! "), 1u);

  menu_.DumpPunkBusterSettings();
  menu_.LoadPunkBusterSettings();
  auto queued = Queued();
  ASSERT_EQ(queued.size(), 2u);
  EXPECT_EQ(queued[0].first, 0xB00B001Cu);
  EXPECT_EQ(queued[1].first, 0xB00B001Du);
}

TEST_F(Menu, TheCustomCombatEditorIsStartedOrItsAbsenceExplained) {
  ScopedEnv path("PATH", tmp_.Sub("bin"));
  EXPECT_FALSE(menu_.EditCustomCombatSettings());
  ASSERT_EQ(logged_.size(), 1u);
  EXPECT_NE(logged_[0].find("(cced.exe) The game's Custom Combat Editor is a Windows program"),
            std::string::npos);
  EXPECT_NE(logged_[0].find(tmp_.Sub("CustomCombat.wst")), std::string::npos);
  EXPECT_FALSE(store_.CustomCombatChanged());

  // A wrapper of that name on the search path is started with the game's argument.
  Recorder("cced.exe", tmp_.Sub("cced-args"));
  ASSERT_TRUE(menu_.EditCustomCombatSettings());
  ASSERT_TRUE(WaitUntil([&] { return tmp_.Read("cced-args").find('\n') != std::string::npos; }));
  EXPECT_EQ(tmp_.Read("cced-args"), "+vnlk\n");
  EXPECT_TRUE(store_.CustomCombatChanged());
}

}  // namespace
}  // namespace varnholt
