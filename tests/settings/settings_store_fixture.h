// A settings store over a game folder in a temporary folder, with the log lines and the
// queued Commands at hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/command_queue.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "settings/settings_store.h"
#include "support/recording_game_link.h"
#include "support/temp_folder.h"

namespace varnholt {

class SettingsStoreFixture : public ::testing::Test {
 protected:
  SettingsStoreFixture()
      : log_(tmp_.path(), clock_),
        files_(table_, log_),
        queue_(clock_, log_),
        store_(table_, files_, log_, queue_, link_, tmp_.path(),
               tmp_.Sub("Mods/ashfront/Settings")) {
    CreateFolders(tmp_.Sub("Mods/ashfront/Settings"));
    log_.SetLineObserver([this](const std::string& line) {
      // Keep only the message after "date time : ", without the CR LF.
      size_t start = line.find(" : ");
      logged_.push_back(line.substr(start + 3, line.size() - start - 5));
    });
    table_.TakeSnapshot();
  }

  std::string Settings(const std::string& name) const {
    return tmp_.Sub("Mods/ashfront/Settings/" + name);
  }
  bool Logged(const std::string& line) const {
    for (const std::string& l : logged_) {
      if (l == line) return true;
    }
    return false;
  }
  size_t CountLogged(const std::string& prefix) const {
    size_t n = 0;
    for (const std::string& l : logged_) n += l.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  // Queued Commands as (code, text), oldest first; notifications as their NotifyCode.
  std::vector<std::pair<uint32_t, std::string>> Queued() const {
    Command slots[kQueueSlots];
    queue_.Snapshot(slots);
    std::vector<std::pair<uint32_t, std::string>> out;
    for (const Command& c : slots) {
      if (c.code != 0) out.emplace_back(c.code, c.text);
    }
    return out;
  }
  std::vector<uint32_t> Notified() const {
    std::vector<uint32_t> codes;
    for (const auto& [code, text] : Queued()) {
      if (code == 0xB00B0004)
        codes.push_back(static_cast<uint32_t>(strtol(text.c_str(), nullptr, 10)));
    }
    return codes;
  }

  testing::TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  SettingsTable table_;
  SettingsFiles files_;
  CommandQueue queue_;
  testing::RecordingGameLink link_;  // not connected unless a test says so
  SettingsStore store_;
  std::vector<std::string> logged_;
};

}  // namespace varnholt
