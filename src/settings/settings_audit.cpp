#include "settings/settings_audit.h"

#include "settings/setting_types.h"

namespace varnholt {

void LogSettingChange(EventLog& log, const SettingsUser& user, int row, const SettingValue& before,
                      const SettingValue& after) {
  if (row < 0 || row >= kSettingCount) return;
  const char* name = SettingName(row);
  const char* who = user.name.c_str();
  const char* where = user.address.c_str();
  // Each type shows its value its own way; text values in brackets, so blanks show.
  const SettingTypeOps& type = RowTypeOps(row);
  log.LogMessage(kSoundNone, "User %s at %s changed %s from %s to %s.", who, where, name,
                 type.audit_text(before).c_str(), type.audit_text(after).c_str());
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
