// Audit lines for changed settings: one line per changed row naming who changed it, from
// where, and the old and new value. Stateless; called by whichever thread makes the change.
#pragma once

#include <string>

#include "log/event_log.h"
#include "settings/settings_table.h"

namespace varnholt {

// The user on whose behalf settings are loaded or saved, with the address shown in audit
// lines and whether the user holds the right to change critical settings.
struct SettingsUser {
  std::string name;
  std::string address;
  bool may_change_critical = true;

  // The local user at the program's own window.
  static SettingsUser LocalOperator() { return {"operator", "console", true}; }
};

// What an audit line shows for a password that is not empty.
constexpr const char* kHiddenPassword = "[********]";
// The rows that hold a password (server, console, reserved slots).
bool IsPasswordRow(int row);

// Logs "User %s at %s changed %s from ... to ...." in the row type's format; a password
// that is not empty shows as kHiddenPassword.
void LogSettingChange(EventLog& log, const SettingsUser& user, int row, const SettingValue& before,
                      const SettingValue& after);

// Logs one audit line for every row that differs between the two tables, in table order;
// returns how many differed.
int LogSettingChanges(EventLog& log, const SettingsUser& user, const SettingValues& before,
                      const SettingValues& after);

}  // namespace varnholt
