// The auto-admin over a scripted game link (players and console commands as the test sets
// them), a real command queue, real files in a sandbox settings folder and a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "autoadmin/auto_admin.h"
#include "bans/bans.h"
#include "core/notify_codes.h"
#include "support/file_text.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt::testing {

class ScriptedLink : public RecordingGameLink {
 public:
  std::vector<PlayerRecord> Players() const override { return players; }
  bool FindPlayerById(int id, PlayerRecord* record) const override {
    for (const PlayerRecord& p : players) {
      if (p.id == id) {
        *record = p;
        return true;
      }
    }
    return false;
  }
  int FindPlayerByExactName(std::string_view name) const override {
    int found = -1;
    for (const PlayerRecord& p : players) {
      if (p.name != name) continue;
      if (found >= 0) return -1;
      found = p.id;
    }
    return found;
  }
  bool RemovePlayer(int id) override {
    auto it = std::find_if(players.begin(), players.end(), [id](auto& p) { return p.id == id; });
    if (it == players.end()) return false;
    players.erase(it);
    return true;
  }

  std::vector<PlayerRecord> players;
};

inline PlayerRecord Player(int id, std::string name, std::string score = "0",
                           std::string ping = "50") {
  PlayerRecord p;
  p.id = id;
  p.name = std::move(name);
  p.score = std::move(score);
  p.ping = std::move(ping);
  p.address = "10.0.0." + std::to_string(id + 1);
  p.keyhash = std::string(31, 'a') + static_cast<char>('a' + id % 26);
  p.guid = "";
  return p;
}

struct Queued {
  uint32_t code;
  std::string text;
  int64_t due;
};

class AutoAdminTest : public ::testing::Test {
 protected:
  AutoAdminTest() : log_(folder_.path(), clock_), queue_(clock_, log_) {
    clock_.SetCalendarSeconds(1'700'000'000);
    link_.connected = true;
    files_ = AutoAdminFiles::In(folder_.Sub("Settings"));
    folder_.Write("Settings/.keep", "");
    AutoAdminEnvironment env;
    env.kick_ban_delay = [this] { return delay_; };
    env.admin_messages = [this] { return admin_messages_; };
    env.notify_clients = [this](uint32_t code, std::string_view data, bool has_data) {
      notes_.emplace_back(code, has_data ? std::string(data) : std::string("-"));
    };
    env.mark_ping = [this](int id, std::string_view mark) {
      marks_.push_back(std::to_string(id) + std::string(mark));
    };
    env.auto_announce_disabled = [this] { ++disabled_; };
    env.debug = true;
    admin_ = std::make_unique<AutoAdmin>(log_, clock_, link_, queue_, settings_, files_, env);
  }

  void Words(const std::string& text) {
    folder_.Write("Settings/BannedWords.con", text);
    ASSERT_TRUE(admin_->LoadBannedWords());
  }
  // Takes every queued Command, oldest first.
  std::vector<Queued> TakeQueued() {
    Command slots[kQueueSlots];
    queue_.Snapshot(slots);
    std::vector<Queued> out;
    for (size_t i = 0; i < queue_.Count(); ++i) {
      out.push_back({slots[i].code, slots[i].text, slots[i].due});
    }
    // Emptied by taking them as the worker would, once all are due.
    const int64_t now = clock_.CalendarSeconds();
    clock_.SetCalendarSeconds(now + 3600);
    Command c;
    while (queue_.TakeExecutable(&c)) {
    }
    clock_.SetCalendarSeconds(now);
    return out;
  }
  std::string LogText() const { return folder_.Read("Varnholt.log"); }
  bool Logged(const std::string& text) const { return LogText().find(text) != std::string::npos; }

  TempFolder folder_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable settings_;
  CommandQueue queue_;
  ScriptedLink link_;
  AutoAdminFiles files_;
  std::unique_ptr<AutoAdmin> admin_;
  bool delay_ = false;
  bool admin_messages_ = true;
  int disabled_ = 0;
  std::vector<std::pair<uint32_t, std::string>> notes_;
  std::vector<std::string> marks_;
};

}  // namespace varnholt::testing
