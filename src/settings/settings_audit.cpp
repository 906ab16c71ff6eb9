#include "settings/settings_audit.h"

#include "settings/setting_types.h"

namespace varnholt {

bool IsPasswordRow(int row) {
  return row == setting_rows::kServerPassword || row == setting_rows::kConsolePassword ||
         row == setting_rows::kReservedPassword;
}

void LogSettingChange(EventLog& log, const SettingsUser& user, int row, const SettingValue& before,
                      const SettingValue& after) {
  if (row < 0 || row >= kSettingCount) return;
  const char* name = SettingName(row);
  const char* who = user.name.c_str();
  const char* where = user.address.c_str();
  // Each type shows its value its own way; text values in brackets, so blanks show.
  const SettingTypeOps& type = RowTypeOps(row);
  auto shown = [&](const SettingValue& value) {
    // The log is read by more people than the passwords are meant for: the line says that
    // a password changed, and whether it is empty, never what it is.
    if (IsPasswordRow(row) && !value.text.empty()) return std::string(kHiddenPassword);
    return type.audit_text(value);
  };
  log.LogMessage(kSoundNone, "User %s at %s changed %s from %s to %s.", who, where, name,
                 shown(before).c_str(), shown(after).c_str());
}

int LogSettingChanges(EventLog& log, const SettingsUser& user, const SettingValues& before,
                      const SettingValues& after) {
  int changed = 0;
  for (int row = 0; row < kSettingCount; ++row) {
    if (SettingValuesEqual(row, before[row], after[row])) continue;
    LogSettingChange(log, user, row, before[row], after[row]);
    ++changed;
  }
  return changed;
}

}  // namespace varnholt
