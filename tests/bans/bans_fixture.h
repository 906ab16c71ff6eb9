// A ban subsystem over the real game link clients, real files in a sandbox game folder and
// a manual clock; the server state (running, PunkBuster) is set by each test.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bans/bans.h"
#include "gamelink/game_link_clients.h"
#include "gamelink/player_list.h"
#include "gamelink_harness.h"
#include "platform/files.h"
#include "support/file_text.h"

namespace varnholt::testing {

class BansTest : public GameLinkTest {
 protected:
  BansTest()
      : players_(log_, settings_),
        link_(console_, status_, players_),
        list_(log_),
        admin_log_(folder_.path(), true) {
    settings_folder_ = folder_.Sub("Mods/ashfront/Settings");
    CreateFolders(settings_folder_);
    CreateFolders(folder_.Sub("pb"));
    files_ = BanFiles::In(folder_.path(), settings_folder_);
    BanEnvironment env;
    env.server_running = [this] { return running_; };
    env.punkbuster_installed = [this] { return pb_installed_; };
    env.punkbuster_enabled = [this] { return pb_enabled_; };
    env.server_internet = [this] { return internet_; };
    env.ban_in_af_and_pb = [this] { return ban_in_pb_; };
    env.notify_clients = [this](uint32_t code, std::string_view data, bool) {
      notes_.emplace_back(code, std::string(data));
    };
    bans_ = std::make_unique<Bans>(log_, clock_, link_, list_, admin_log_, files_, env);
  }

  std::string ReadFile(const std::string& path) const { return testing::ReadFileText(path); }
  void WriteFile(const std::string& path, const std::string& text) const {
    ASSERT_TRUE(testing::WriteFileText(path, text));
  }

  std::string settings_folder_;
  BanFiles files_;
  PlayerList players_;
  GameLinkClients link_;
  BanList list_;
  AdminLog admin_log_;
  std::unique_ptr<Bans> bans_;
  bool running_ = false;
  bool pb_installed_ = false;
  bool pb_enabled_ = false;
  bool internet_ = true;
  bool ban_in_pb_ = true;
  std::vector<std::pair<uint32_t, std::string>> notes_;
};

constexpr const char* kKeyA = "0123456789abcdef0123456789abcdef";
constexpr const char* kGuidA = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
constexpr const char* kKeyB = "fedcba9876543210fedcba9876543210";

}  // namespace varnholt::testing
