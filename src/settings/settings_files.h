// The settings files built from the settings table: Varnholt.con (our own copy of every
// setting shown on the settings pages), ServerSettings.con (the server's "game." keys) and
// ServerAutoexec.con (console commands the server runs at start). Reading replaces invalid
// values by defaults with a logged line; writing replaces each file whole through a unique
// temporary file and an atomic rename. Any thread may call these: the table's own lock is
// taken only to copy values in and out, and a load stores back only the rows it changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"
#include "settings/con_file.h"
#include "settings/settings_audit.h"
#include "settings/settings_table.h"

namespace varnholt {

constexpr const char* kManagerSettingsFile = "Varnholt.con";
constexpr const char* kServerSettingsFile = "ServerSettings.con";
constexpr const char* kServerAutoexecFile = "ServerAutoexec.con";
constexpr const char* kAdminSettingsFile = "AdminSettings.con";

class SettingsFiles {
 public:
  SettingsFiles(SettingsTable& table, EventLog& log);

  // Called with the server name whenever it is read from or written to a file (the tray
  // tooltip "Varnholt\n%s" follows it).
  void SetServerNameObserver(std::function<void(const std::string&)> observer);

  // Loads every setting shown on a page of `page_mask` (bit n = page n) from `path`. Critical
  // rows are skipped unless `user` may change them; with `audit`, each change is logged in
  // the user's name. An empty file fails with last error 2 and no message.
  bool LoadSettingsFile(const std::string& path, uint32_t page_mask, const SettingsUser& user,
                        bool audit);
  // Writes every setting shown on a page of `page_mask`, under its file key or, lacking one,
  // its console key.
  [[nodiscard]] bool SaveSettingsFile(const std::string& path, uint32_t page_mask);
  [[nodiscard]] bool WriteServerSettingsFile(const std::string& path);
  [[nodiscard]] bool WriteServerAutoexecFile(const std::string& path);

  // Start-up: loads Varnholt.con of the settings folder for all pages as the local user.
  // When the file is missing or empty, the server address becomes
  // `first_interface_address` and a fresh file is written from the table. Afterwards the
  // server is always dedicated. Other load failures are logged and fail.
  bool LoadManagerSettingsAtStart(const std::string& settings_folder,
                                  uint32_t first_interface_address);
  // Sets game.serverIP and writes Varnholt.con of the settings folder at once.
  bool SetServerAddressAndSave(const std::string& settings_folder, uint32_t address);

  // Parses the value part of a line (after the key and its blank) into `value` for `row`,
  // logging and using the default for an invalid value. MessageLines add to `value`.
  void ParseSettingValue(int row, std::string_view rest, SettingValue* value);

 private:
  // Scans the file's lines for `key` into values[row]; also notes the remote console and
  // remote admin switches of every line scanned. True when the key was found.
  bool ReadSettingFromFile(const std::vector<ConLine>& lines, std::string_view key, int row,
                           SettingValues* values);
  void NotifyServerName(const std::string& name);

  SettingsTable& table_;
  EventLog& log_;
  std::function<void(const std::string&)> server_name_observer_;
};

}  // namespace varnholt
