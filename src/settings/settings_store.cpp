#include "settings/settings_store.h"

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

// What the load and the save say about each list.
struct ListTexts {
  const char* file;
  const char* load_failure;  // "%s %s" = path and error text, "%s" = error text only
  bool load_failure_has_path;
  const char* save_failure;
  const char* updated;
  uint32_t notify;
};

constexpr std::array<ListTexts, kSavedListCount> kListTexts = {{
    {"ServerMapList.con", "Couldn't load the maplist file!\n%s %s", true,
     "Couldn't save maplist file! %s", "User %s at %s updated the map rotation.",
     kNotifyRotationChanged},
    {"ServerBanList.con", "Couldn't load banlist file! %s", false, "Couldn't save banlist file! %s",
     "User %s at %s updated the banlist.", kNotifyBanListChanged},
    {"UserAccess.con", "Couldn't load the user access file!\n%s %s", true,
     "Couldn't save the user access file! %s", "User %s at %s updated the user list.",
     kNotifyUsersChanged},
    {"ServerSchedule.con", "Couldn't load the server schedule file!\n%s %s", true,
     "Couldn't save the server schedule file! %s", "User %s at %s updated the event schedule.",
     kNotifyScheduleChanged},
}};

}  // namespace

SettingsStore::SettingsStore(SettingsTable& table, SettingsFiles& files, EventLog& log,
                             CommandQueue& queue, GameLink& link, std::string game_folder,
                             std::string settings_folder)
    : table_(table),
      files_(files),
      log_(log),
      queue_(queue),
      link_(link),
      game_folder_(std::move(game_folder)),
      settings_folder_(std::move(settings_folder)),
      custom_combat_(game_folder_, game_folder_) {}

void SettingsStore::SetListHooks(SavedList list, SavedListHooks hooks) {
  lists_[static_cast<int>(list)] = std::move(hooks);
}

std::string SettingsStore::SettingsPath(const char* name) const {
  return FindPathNoCase(settings_folder_, name);
}

void SettingsStore::NotifyClients(uint32_t code) {
  // The dispatcher reads the code back from signed decimal text.
  queue_.QueueCommand(kCmdNotifyAll, std::to_string(static_cast<int32_t>(code)), kOriginLocal, 0);
}

bool SettingsStore::HasUnsavedChanges() const {
  if (!table_.RowsChangedSinceSnapshot().empty()) return true;
  for (const SavedListHooks& list : lists_) {
    if (list.dirty && list.dirty()) return true;
  }
  return announcements_edited_ || punkbuster_edited_ || custom_combat_changed_ ||
         Flag(hooks_.banned_words_edited);
}

void SettingsStore::RefreshPages() {
  if (hooks_.refresh_pages) hooks_.refresh_pages();
}

bool SettingsStore::LoadAllAtStart(uint32_t first_interface_address) {
  if (!files_.LoadManagerSettingsAtStart(settings_folder_, first_interface_address)) return false;
  for (int i = 0; i < kSavedListCount; ++i) {
    const SavedListHooks& list = lists_[i];
    if (!list.load) continue;
    const ListTexts& texts = kListTexts[i];
    std::string path = SettingsPath(texts.file);
    if (list.load(path)) continue;
    const char* reason = ErrorText(GetLastErrorCode());
    if (texts.load_failure_has_path) {
      log_.LogMessage(kSoundNone, texts.load_failure, path.c_str(), reason);
    } else {
      log_.LogMessage(kSoundNone, texts.load_failure, reason);
    }
    return false;
  }
  if (table_.GetInt(rows::kServerDedicated) == 0) table_.SetInt(rows::kServerDedicated, 1);
  table_.TakeSnapshot();
  RefreshPages();
  return true;
}

bool SettingsStore::SaveAllChanges(const SettingsUser& user) {
  if (!SaveSettingsStep(user)) return false;
  for (int i = 0; i < kSavedListCount; ++i) {
    if (!SaveListStep(static_cast<SavedList>(i), user)) return false;
  }
  PunkBusterStep(user);
  if (!CustomCombatStep(user)) return false;
  if (Flag(hooks_.banned_words_edited)) {
    if (hooks_.reload_banned_words) hooks_.reload_banned_words();
    log_.LogMessage(kSoundNone, "User %s at %s updated the banned words.", user.name.c_str(),
                    user.address.c_str());
    NotifyClients(kNotifyBannedWordsChanged);
    if (hooks_.clear_banned_words_edited) hooks_.clear_banned_words_edited();
  }
  if (TakeAnnouncementsEdited()) {
    log_.LogMessage(kSoundNone, "User %s at %s updated the announcements.", user.name.c_str(),
                    user.address.c_str());
    NotifyClients(kNotifyAnnouncementsChanged);
  }
  // Also while the server runs: the file then holds what the live push sends. A failure has
  // been logged and does not undo the save.
  (void)files_.WriteServerAutoexecFile(SettingsPath(kServerAutoexecFile));
  return true;
}

bool SettingsStore::SaveSettingsStep(const SettingsUser& user) {
  const SettingValues values = table_.CopyValues();
  if (LogSettingChanges(log_, user, table_.GetSnapshot().rows, values) == 0) return true;
  if (!files_.SaveSettingsFile(SettingsPath(kManagerSettingsFile), kAllPages)) {
    log_.LogMessage(kSoundError, "Couldn't save settings file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  if (link_.ConsoleConnected()) {
    // The push moves the snapshot forward once the server has the values.
    queue_.QueueCommand(kCmdApplySettings, "", kOriginLocal, 0);
  } else {
    table_.SetSnapshot(SettingsSnapshot{values});
  }
  NotifyClients(kNotifySettingsChanged);
  return true;
}

bool SettingsStore::SaveListStep(SavedList list, const SettingsUser& user) {
  const SavedListHooks& hooks = lists_[static_cast<int>(list)];
  if (!hooks.save || !Flag(hooks.dirty)) return true;
  const ListTexts& texts = kListTexts[static_cast<int>(list)];
  if (!hooks.save(SettingsPath(texts.file))) {
    log_.LogMessage(kSoundError, texts.save_failure, ErrorText(GetLastErrorCode()));
    return false;
  }
  log_.LogMessage(kSoundNone, texts.updated, user.name.c_str(), user.address.c_str());
  if (hooks.clear_dirty) hooks.clear_dirty();
  NotifyClients(texts.notify);
  return true;
}

void SettingsStore::PunkBusterStep(const SettingsUser& user) {
  if (!punkbuster_edited_) return;
  log_.LogMessage(kSoundNone, "User %s at %s updated the PunkBuster server settings.",
                  user.name.c_str(), user.address.c_str());
  if (!Flag(hooks_.server_running)) {
    // The server reads pbsv.cfg when it starts.
    punkbuster_edited_ = false;
    return;
  }
  if (!link_.ConsoleConnected()) {
    log_.LogMessage(kSoundError, "Couldn't load PunkBuster settings! Not connected.");
    return;
  }
  if (!Flag(hooks_.punkbuster_enabled)) return;
  if (link_.RunConsoleCommand("pb_sv_load pbsv.cfg")) {
    log_.LogMessage(kSoundNone, "PunkBuster settings have been loaded from pbsv.cfg.");
    punkbuster_edited_ = false;
    NotifyClients(kNotifyPunkBusterChanged);
  }
}

bool SettingsStore::CustomCombatStep(const SettingsUser& user) {
  if (custom_combat_.CheckForChanges()) custom_combat_changed_ = true;
  if (!custom_combat_changed_) return true;
  switch (custom_combat_.CopyWorkingCopy()) {
    case CustomCombatFiles::CopyResult::kFailed:
      log_.LogMessage(kSoundError, "Couldn't update the custom combat server file! %s",
                      ErrorText(GetLastErrorCode()));
      return false;
    case CustomCombatFiles::CopyResult::kCopied:
      log_.LogMessage(kSoundNone, "User %s at %s updated the CustomCombat settings.",
                      user.name.c_str(), user.address.c_str());
      NotifyClients(kNotifyCustomCombatChanged);
      break;
    case CustomCombatFiles::CopyResult::kNoWorkingCopy:
    case CustomCombatFiles::CopyResult::kServerFileNewer:
      // Nothing newer to give the server; its own file stays.
      break;
  }
  custom_combat_changed_ = false;
  return true;
}

bool SettingsStore::RefreshSettings() {
  bool loaded = files_.LoadSettingsFile(SettingsPath(kManagerSettingsFile), kAllPages,
                                        SettingsUser::LocalOperator(), false);
  RefreshPages();
  return loaded;
}

}  // namespace varnholt
