#include "settings/settings_menu.h"

#include "core/notify_codes.h"
#include "log/error_text.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {

SettingsMenu::SettingsMenu(SettingsStore& store) : store_(store) {}

bool SettingsMenu::LoadWithAudit(const std::string& path, const SettingsUser& user) {
  return store_.Files().LoadSettingsFile(path, kAllPages, user, true);
}

bool SettingsMenu::ImportServerSettings(const std::string& path, const SettingsUser& user) {
  bool loaded = LoadWithAudit(path, user);
  if (!loaded) store_.Log().LogMessage(kSoundError, "Couldn't load settings!");
  // A failed load may have changed some settings already; show what the table holds.
  store_.RefreshPages();
  return loaded;
}

bool SettingsMenu::ExportServerSettings(const std::string& path) {
  if (store_.Files().SaveSettingsFile(path, kAllPages)) return true;
  store_.Log().LogMessage(kSoundError, "Couldn't save settings!");
  return false;
}

void SettingsMenu::DefaultServerSettings(uint32_t first_interface_address) {
  store_.Table().ResetSettingsToDefaults(first_interface_address);
  store_.RefreshPages();
}

bool SettingsMenu::SwitchServerConfig(const std::string& path, const SettingsUser& user) {
  store_.Log().LogMessage(kSoundNone, "Performing config switch to settings in %s.", path.c_str());
  if (server_.running && server_.running()) {
    if (server_.stop) server_.stop();
    if (server_.pump_wait) server_.pump_wait(kConfigSwitchWaitMs);
  }
  bool switched = LoadWithAudit(path, user);
  if (switched) {
    // The start writes the server's files from the table it just loaded.
    if (server_.start) switched = server_.start();
  } else {
    store_.Log().LogMessage(kSoundError, "Couldn't load settings!");
  }
  store_.RefreshPages();
  return switched;
}

void SettingsMenu::DumpPunkBusterSettings() {
  store_.Queue().QueueCommand(kCmdSavePunkBuster, "", kOriginLocal, 0);
}

void SettingsMenu::LoadPunkBusterSettings() {
  store_.Queue().QueueCommand(kCmdLoadPunkBuster, "", kOriginLocal, 0);
}

bool SettingsMenu::EditPunkBusterSettings() {
  bool opened = OpenInTextEditor(FindPathNoCase(store_.GameFolder(), "pb/pbsv.cfg"));
  if (!opened) {
    store_.Log().LogMessage(kSoundError, "Couldn't open PunkBuster config file for editing! %s",
                            ErrorText(GetLastErrorCode()));
  }
  // Marked either way: the file may have been edited by other means.
  store_.MarkPunkBusterSettingsEdited();
  return opened;
}

bool SettingsMenu::EditCustomCombatSettings() {
  if (StartProgram(kCustomCombatEditor, {"+vnlk"})) {
    store_.MarkCustomCombatChanged();
    return true;
  }
  uint32_t error = GetLastErrorCode();
  if (error == kErrorFileNotFound) {
    store_.Log().LogMessage(
        kSoundError,
        "Couldn't start Custom Combat Editor! (cced.exe) The game's Custom Combat Editor is a "
        "Windows program that is not available on this system. Edit %s with a text editor "
        "instead; the next save copies it to the server.",
        store_.CustomCombat().WorkingCopyPath().c_str());
  } else {
    store_.Log().LogMessage(kSoundError, "Couldn't start Custom Combat Editor! (cced.exe) %s",
                            ErrorText(error));
  }
  return false;
}

bool SettingsMenu::EditAnnouncements() {
  bool opened = OpenInTextEditor(store_.SettingsPath("Announcements.con"));
  if (!opened) {
    store_.Log().LogMessage(kSoundError, "Couldn't open announcements file for editing! %s",
                            ErrorText(GetLastErrorCode()));
    return false;
  }
  store_.MarkAnnouncementsEdited();
  return true;
}

}  // namespace varnholt
