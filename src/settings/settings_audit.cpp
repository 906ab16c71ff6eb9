#include "settings/settings_audit.h"

#include "platform/ip_address.h"
#include "settings/setting_forms.h"

namespace varnholt {

void LogSettingChange(EventLog& log, const SettingsUser& user, int row, const SettingValue& before,
                      const SettingValue& after) {
  if (row < 0 || row >= kSettingCount) return;
  const char* name = SettingName(row);
  const char* who = user.name.c_str();
  const char* where = user.address.c_str();
  switch (kSettingDefs[row].type) {
    case SettingType::kText:
    case SettingType::kMessageLines:
    case SettingType::kChoice:
      log.LogMessage(kSoundNone, "User %s at %s changed %s from [%s] to [%s].", who, where, name,
                     before.text.c_str(), after.text.c_str());
      break;
    case SettingType::kAddress:
      log.LogMessage(kSoundNone, "User %s at %s changed %s from %s to %s.", who, where, name,
                     IpToText(static_cast<uint32_t>(before.int_value)).c_str(),
                     IpToText(static_cast<uint32_t>(after.int_value)).c_str());
      break;
    case SettingType::kTenths:
      // Formatted apart so the decimal point is "." whatever the interface's locale.
      log.LogMessage(kSoundNone, "User %s at %s changed %s from %s to %s.", who, where, name,
                     FormatFixed(before.int_value / 10.0, 1).c_str(),
                     FormatFixed(after.int_value / 10.0, 1).c_str());
      break;
    case SettingType::kNegatedInteger:
      log.LogMessage(kSoundNone, "User %s at %s changed %s from %li to %li.", who, where, name,
                     -static_cast<long>(before.int_value), -static_cast<long>(after.int_value));
      break;
    default:
      log.LogMessage(kSoundNone, "User %s at %s changed %s from %li to %li.", who, where, name,
                     static_cast<long>(before.int_value), static_cast<long>(after.int_value));
      break;
  }
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
