// The settings menu of the settings pages as plain operations, for the window and for
// remote clients: import, export, defaults, switching to another configuration with a
// server restart, and the PunkBuster and CustomCombat tools. The dialogs (confirmations,
// file choosers) are the front end's; their fixed texts are here. Runs on the thread of the
// caller, like the save it works with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/settings_audit.h"
#include "settings/settings_store.h"

namespace varnholt {

namespace settings_menu_text {
constexpr const char* kImport = "Import server settings";
constexpr const char* kExport = "Export server settings";
constexpr const char* kDefaults = "Default server settings";
constexpr const char* kSwitch = "Switch server config";
constexpr const char* kDumpPunkBuster = "Dump PunkBuster settings";
constexpr const char* kEditPunkBuster = "Edit PunkBuster settings";
constexpr const char* kLoadPunkBuster = "Load PunkBuster settings";
constexpr const char* kEditCustomCombat = "Edit CustomCombat settings";
constexpr const char* kImportConfirm =
    "This action will overwrite the current server settings. Are you sure this is what you "
    "want to do?";
constexpr const char* kDefaultsConfirm =
    "This action will reset all server settings to default values. Are you sure this is what "
    "you want to do?";
constexpr const char* kFileFilterName = "Config Files (*.con)";
constexpr const char* kFileFilterPattern = "*.con";
constexpr const char* kDefaultFileName = "Varnholt.con";
constexpr const char* kDefaultExtension = "con";
constexpr const char* kLoadTitle = "Select server settings config file to load";
constexpr const char* kSaveTitle = "Select config file for saved server settings";
}  // namespace settings_menu_text

// The server supervisor's operations the configuration switch needs.
struct ServerControlHooks {
  std::function<bool()> running = {};
  std::function<bool()> stop = {};
  std::function<bool()> start = {};
  // Lets the given milliseconds pass while the server goes down.
  std::function<void(uint32_t ms)> pump_wait = {};
};

constexpr uint32_t kConfigSwitchWaitMs = 3000;
constexpr const char* kCustomCombatEditor = "cced.exe";

class SettingsMenu {
 public:
  explicit SettingsMenu(SettingsStore& store);
  SettingsMenu(const SettingsMenu&) = delete;
  SettingsMenu& operator=(const SettingsMenu&) = delete;

  void SetServerControl(ServerControlHooks hooks) { server_ = std::move(hooks); }

  // Loads all pages from `path` with audit in `user`'s name (after the confirmation). The
  // values become permanent with the next save.
  bool ImportServerSettings(const std::string& path,
                            const SettingsUser& user = SettingsUser::LocalOperator());
  bool ExportServerSettings(const std::string& path);
  // Every setting to its default, the server address to `first_interface_address`.
  void DefaultServerSettings(uint32_t first_interface_address);
  // Stops a running server, waits, loads `path` with audit and starts the server again.
  bool SwitchServerConfig(const std::string& path,
                          const SettingsUser& user = SettingsUser::LocalOperator());
  // Only while the server runs (the front end disables the entries otherwise).
  void DumpPunkBusterSettings();
  void LoadPunkBusterSettings();
  // Opens the game's pb/pbsv.cfg in the text editor; the next save loads it into the server.
  bool EditPunkBusterSettings();
  // Starts the game's CustomCombat editor; it is a Windows program, and where it cannot be
  // found the message says so and how to edit the working copy instead.
  bool EditCustomCombatSettings();
  // Opens Announcements.con in the text editor (the Admin page's action).
  bool EditAnnouncements();

 private:
  bool LoadWithAudit(const std::string& path, const SettingsUser& user);

  SettingsStore& store_;
  ServerControlHooks server_;
};

}  // namespace varnholt
