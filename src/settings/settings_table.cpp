#include "settings/settings_table.h"

#include "settings/setting_types.h"

namespace varnholt {

const char* SettingName(int row) {
  if (row < 0 || row >= kSettingCount) return "[bad index]";
  const SettingDef& def = kSettingDefs[row];
  // The keys are literals, so their data is zero-terminated.
  if (!def.file_key.empty()) return def.file_key.data();
  if (!def.console_key.empty()) return def.console_key.data();
  return "[unknown]";
}

bool SettingValuesEqual(int row, const SettingValue& a, const SettingValue& b) {
  if (row < 0 || row >= kSettingCount) return true;
  if (RowTypeOps(row).text_value) return a.text == b.text;
  return a.int_value == b.int_value;
}

SettingValue DefaultSettingValue(int row) {
  if (row < 0 || row >= kSettingCount) return SettingValue();
  const SettingDef& def = kSettingDefs[row];
  return TypeOps(def.type).default_value(def);
}

SettingsTable::SettingsTable() {
  InitSettings();
}

void SettingsTable::InitSettings() {
  SettingValues fresh;
  for (int row = 0; row < kSettingCount; ++row) fresh[row] = DefaultSettingValue(row);
  std::lock_guard<std::mutex> lock(mutex_);
  values_ = std::move(fresh);
}

void SettingsTable::ResetSettingsToDefaults(uint32_t first_interface_address) {
  SettingValues fresh;
  for (int row = 0; row < kSettingCount; ++row) {
    fresh[row] = DefaultSettingValue(row);
    if (kSettingDefs[row].type == SettingType::kAddress) {
      fresh[row].int_value = static_cast<int32_t>(first_interface_address);
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  values_ = std::move(fresh);
}

SettingValue SettingsTable::Clean(SettingValue value) {
  if (value.text.size() > kSettingTextMax) value.text.resize(kSettingTextMax);
  return value;
}

int32_t SettingsTable::GetInt(int row) const {
  if (row < 0 || row >= kSettingCount) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  return values_[row].int_value;
}

std::string SettingsTable::GetText(int row) const {
  if (row < 0 || row >= kSettingCount) return std::string();
  std::lock_guard<std::mutex> lock(mutex_);
  return values_[row].text;
}

SettingValue SettingsTable::Get(int row) const {
  if (row < 0 || row >= kSettingCount) return SettingValue();
  std::lock_guard<std::mutex> lock(mutex_);
  return values_[row];
}

void SettingsTable::SetInt(int row, int32_t value) {
  if (row < 0 || row >= kSettingCount) return;
  std::lock_guard<std::mutex> lock(mutex_);
  values_[row].int_value = value;
}

void SettingsTable::SetText(int row, std::string_view text) {
  if (row < 0 || row >= kSettingCount) return;
  std::string copy(text.substr(0, kSettingTextMax));
  std::lock_guard<std::mutex> lock(mutex_);
  values_[row].text = std::move(copy);
}

void SettingsTable::Set(int row, const SettingValue& value) {
  if (row < 0 || row >= kSettingCount) return;
  SettingValue copy = Clean(value);
  std::lock_guard<std::mutex> lock(mutex_);
  values_[row] = std::move(copy);
}

bool SettingsTable::SetInt(std::string_view key, int32_t value) {
  int row = SettingRowOf(key);
  if (row < 0) return false;
  SetInt(row, value);
  return true;
}

bool SettingsTable::SetText(std::string_view key, std::string_view text) {
  int row = SettingRowOf(key);
  if (row < 0) return false;
  SetText(row, text);
  return true;
}

bool SettingsTable::SetAddress(std::string_view key, uint32_t address) {
  int row = SettingRowOf(key);
  if (row < 0) return false;
  SetAddress(row, address);
  return true;
}

SettingValues SettingsTable::CopyValues() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_;
}

void SettingsTable::StoreValues(const SettingValues& values) {
  SettingValues copy;
  for (int row = 0; row < kSettingCount; ++row) copy[row] = Clean(values[row]);
  std::lock_guard<std::mutex> lock(mutex_);
  values_ = std::move(copy);
}

void SettingsTable::StoreRows(const SettingValues& values, const std::vector<int>& rows) {
  std::vector<std::pair<int, SettingValue>> cleaned;
  cleaned.reserve(rows.size());
  for (int row : rows) {
    if (row >= 0 && row < kSettingCount) cleaned.emplace_back(row, Clean(values[row]));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [row, value] : cleaned) values_[row] = std::move(value);
}

void SettingsTable::TakeSnapshot() {
  std::lock_guard<std::mutex> lock(mutex_);
  snapshot_.rows = values_;
}

void SettingsTable::TakeSnapshotOfRows(const std::vector<int>& rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int row : rows) {
    if (row >= 0 && row < kSettingCount) snapshot_.rows[row] = values_[row];
  }
}

SettingsSnapshot SettingsTable::GetSnapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return snapshot_;
}

void SettingsTable::SetSnapshot(const SettingsSnapshot& snapshot) {
  std::lock_guard<std::mutex> lock(mutex_);
  snapshot_ = snapshot;
}

std::vector<int> SettingsTable::RowsChangedSinceSnapshot() const {
  SettingValues values;
  SettingsSnapshot snapshot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    values = values_;
    snapshot = snapshot_;
  }
  std::vector<int> changed;
  for (int row = 0; row < kSettingCount; ++row) {
    if (!SettingValuesEqual(row, values[row], snapshot.rows[row])) changed.push_back(row);
  }
  return changed;
}

}  // namespace varnholt
