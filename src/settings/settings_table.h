// The values of every setting and the snapshot of the values last saved and sent to the
// server. The user-interface thread (the settings pages) and the worker thread (file loads,
// resets, read-backs, remote clients' settings) both touch them, so one mutex guards values
// and snapshot; it is held only while data is copied in or out, never across file or socket
// work. Callers that change several rows copy the values out, work on the copy and store
// back only the rows they changed.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_def.h"

namespace varnholt {

// The value part of one row. Text, MessageLines and Choice use `text` (at most
// kSettingTextMax characters); every numeric type and Address use `int_value`.
struct SettingValue {
  int32_t int_value = 0;
  std::string text;

  bool operator==(const SettingValue&) const = default;
};

using SettingValues = std::array<SettingValue, kSettingCount>;

// A second copy of all rows: the state last saved and sent.
struct SettingsSnapshot {
  SettingValues rows;
};

// The display name of a row: its file key, else its console key, else "[unknown]";
// "[bad index]" outside the table.
const char* SettingName(int row);

// True when the two values count as the same for the row: Text, MessageLines and Choice
// compare the text exactly, the other types compare the number.
bool SettingValuesEqual(int row, const SettingValue& a, const SettingValue& b);

// The default value of a row as InitSettings sets it.
SettingValue DefaultSettingValue(int row);

class SettingsTable {
 public:
  SettingsTable();
  SettingsTable(const SettingsTable&) = delete;
  SettingsTable& operator=(const SettingsTable&) = delete;

  // Every row to its default; the server address to 0.0.0.0.
  void InitSettings();
  // As InitSettings, except that the server address becomes the machine's first active
  // interface address, which the caller supplies.
  void ResetSettingsToDefaults(uint32_t first_interface_address);

  // Typed access by row. Rows outside the table read as 0 / empty and are never written.
  int32_t GetInt(int row) const;
  std::string GetText(int row) const;
  uint32_t GetAddress(int row) const { return static_cast<uint32_t>(GetInt(row)); }
  bool GetBool(int row) const { return GetInt(row) != 0; }
  SettingValue Get(int row) const;
  void SetInt(int row, int32_t value);
  // Keeps at most kSettingTextMax characters.
  void SetText(int row, std::string_view text);
  void SetAddress(int row, uint32_t address) { SetInt(row, static_cast<int32_t>(address)); }
  void Set(int row, const SettingValue& value);

  // Typed access by file or console key (ignoring case). An unknown key reads as 0 / empty
  // and a write to it is ignored; both return or leave false where they can tell.
  int32_t GetInt(std::string_view key) const { return GetInt(SettingRowOf(key)); }
  std::string GetText(std::string_view key) const { return GetText(SettingRowOf(key)); }
  uint32_t GetAddress(std::string_view key) const { return GetAddress(SettingRowOf(key)); }
  bool GetBool(std::string_view key) const { return GetBool(SettingRowOf(key)); }
  bool SetInt(std::string_view key, int32_t value);
  bool SetText(std::string_view key, std::string_view text);
  bool SetAddress(std::string_view key, uint32_t address);
  // Overloads so that literals pick the key form rather than converting to a row.
  int32_t GetInt(const char* key) const { return GetInt(std::string_view(key)); }
  std::string GetText(const char* key) const { return GetText(std::string_view(key)); }
  uint32_t GetAddress(const char* key) const { return GetAddress(std::string_view(key)); }
  bool GetBool(const char* key) const { return GetBool(std::string_view(key)); }
  bool SetInt(const char* key, int32_t value) { return SetInt(std::string_view(key), value); }
  bool SetText(const char* key, std::string_view text) {
    return SetText(std::string_view(key), text);
  }
  bool SetAddress(const char* key, uint32_t address) {
    return SetAddress(std::string_view(key), address);
  }

  // Whole-table copies.
  SettingValues CopyValues() const;
  void StoreValues(const SettingValues& values);
  // Stores only the listed rows of `values`.
  void StoreRows(const SettingValues& values, const std::vector<int>& rows);

  // The snapshot: TakeSnapshot copies the table into it; TakeSnapshotOfRows only the rows
  // listed, so unsaved edits of the others still count as changes.
  void TakeSnapshot();
  void TakeSnapshotOfRows(const std::vector<int>& rows);
  SettingsSnapshot GetSnapshot() const;
  void SetSnapshot(const SettingsSnapshot& snapshot);
  // Rows whose value differs from the snapshot, in table order.
  std::vector<int> RowsChangedSinceSnapshot() const;

 private:
  static SettingValue Clean(SettingValue value);

  mutable std::mutex mutex_;
  SettingValues values_;
  SettingsSnapshot snapshot_;
};

}  // namespace varnholt
