// When the settings files are read and written, and who is named for each change: the
// start-up load of Varnholt.con and the other lists of the settings folder, the save of
// everything the user changed (audited per setting, Varnholt.con, the other lists, the
// PunkBuster and CustomCombat files, ServerAutoexec.con), and the pending-change flags the
// save consumes.
//
// The server is reached through the game link (core/game_link.h): a save pushes the changed
// values and loads PunkBuster settings while the console is connected.
//
// The save and the settings menu run on the user-interface thread or as Commands of the
// worker; they are started by the user and do not overlap. The flags may be set from either
// thread, so they are atomic. The other lists (rotation, bans, accounts, schedule) belong
// to their own subsystems and are plugged in as SavedList hooks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/command_queue.h"
#include "core/game_link.h"
#include "core/notify_codes.h"
#include "log/event_log.h"
#include "settings/custom_combat.h"
#include "settings/settings_audit.h"
#include "settings/settings_files.h"
#include "settings/settings_table.h"

namespace varnholt {

constexpr const char* kRefreshFailedText = "Couldn't refresh server settings!";

// The other lists of the settings folder, in the order they are loaded and saved.
enum class SavedList { kRotation = 0, kBanList = 1, kUsers = 2, kSchedule = 3 };
constexpr int kSavedListCount = 4;

// How a list is loaded, saved and marked dirty by the subsystem that owns it. Loads and
// saves leave the last error on failure. A list without hooks is skipped.
struct SavedListHooks {
  std::function<bool(const std::string& path)> load = {};
  std::function<bool(const std::string& path)> save = {};
  std::function<bool()> dirty = {};
  std::function<void()> clear_dirty = {};
};

// What the save needs of the rest of the program besides the game link; any may be empty
// (then: not running, PunkBuster off, nothing to refresh).
struct SettingsStoreHooks {
  std::function<bool()> server_running = {};
  std::function<bool()> punkbuster_enabled = {};
  // Shows the table's values on the settings pages again.
  std::function<void()> refresh_pages = {};
  // The banned words were edited: load them again.
  std::function<void()> reload_banned_words = {};
  std::function<bool()> banned_words_edited = {};
  std::function<void()> clear_banned_words_edited = {};
};

class SettingsStore {
 public:
  // `game_folder` holds the game and, as the working folder, the CustomCombat working copy.
  SettingsStore(SettingsTable& table, SettingsFiles& files, EventLog& log, CommandQueue& queue,
                GameLink& link, std::string game_folder, std::string settings_folder);
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  void SetHooks(SettingsStoreHooks hooks) { hooks_ = std::move(hooks); }
  void SetListHooks(SavedList list, SavedListHooks hooks);

  // Start-up: Varnholt.con (written fresh with `first_interface_address` as the server
  // address when missing or empty), then each list with hooks; a dedicated server always.
  // Takes the snapshot. Every failure is logged and fails.
  bool LoadAllAtStart(uint32_t first_interface_address);

  // Saves what changed since the snapshot, in `user`'s name, and rewrites
  // ServerAutoexec.con. Stops at the first failing file with its message; the flags of the
  // steps not done stay set.
  bool SaveAllChanges(const SettingsUser& user = SettingsUser::LocalOperator());

  // Reloads Varnholt.con for all pages without audit and shows it (a page refresh). The
  // caller reports a failure with kRefreshFailedText and the error sound.
  bool RefreshSettings();

  // Whether a save would write anything: settings changed since the snapshot, a list
  // marked dirty, or an edited file not yet taken in. Asked before the operator's edits
  // could be lost (quitting, switching the configuration).
  bool HasUnsavedChanges() const;

  // Pending-change flags.
  void MarkAnnouncementsEdited() { announcements_edited_ = true; }
  void MarkPunkBusterSettingsEdited() { punkbuster_edited_ = true; }
  void MarkCustomCombatChanged() { custom_combat_changed_ = true; }
  bool PunkBusterSettingsEdited() const { return punkbuster_edited_; }
  bool CustomCombatChanged() const { return custom_combat_changed_; }
  // True once after the announcements were edited (the refresh of a page consumes the flag
  // as the save does).
  bool TakeAnnouncementsEdited() { return announcements_edited_.exchange(false); }

  // Queues a notification of every remote client.
  void NotifyClients(uint32_t code);
  void RefreshPages();

  std::string SettingsPath(const char* name) const;
  const std::string& GameFolder() const { return game_folder_; }
  SettingsTable& Table() { return table_; }
  SettingsFiles& Files() { return files_; }
  EventLog& Log() { return log_; }
  CommandQueue& Queue() { return queue_; }
  const SettingsStoreHooks& Hooks() const { return hooks_; }
  CustomCombatFiles& CustomCombat() { return custom_combat_; }

 private:
  bool SaveSettingsStep(const SettingsUser& user);
  bool SaveListStep(SavedList list, const SettingsUser& user);
  void PunkBusterStep(const SettingsUser& user);
  bool CustomCombatStep(const SettingsUser& user);
  bool Flag(const std::function<bool()>& query) const { return query && query(); }

  // Fixed by construction and start-up (user-interface thread) before the first save;
  // read-only afterwards.
  SettingsTable& table_;
  SettingsFiles& files_;
  EventLog& log_;
  CommandQueue& queue_;
  GameLink& link_;
  std::string game_folder_;
  std::string settings_folder_;
  SettingsStoreHooks hooks_;
  std::array<SavedListHooks, kSavedListCount> lists_;
  // Used only by a save, which never runs on two threads at once.
  CustomCombatFiles custom_combat_;
  // Set and taken from either thread without a lock.
  std::atomic<bool> announcements_edited_{false};
  std::atomic<bool> punkbuster_edited_{false};
  std::atomic<bool> custom_combat_changed_{false};
};

}  // namespace varnholt
