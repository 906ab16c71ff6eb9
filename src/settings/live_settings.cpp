#include "settings/live_settings.h"

#include "platform/last_error.h"
#include "settings/setting_forms.h"
#include "settings/setting_types.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

// Rows with a server console key: not empty and not one of our own "manager" keys.
bool HasServerConsoleKey(int row) {
  std::string_view key = kSettingDefs[row].console_key;
  return !key.empty() && !IsManagerKey(key);
}

// The console answers these bare keys with nothing useful: the rounds and ticket ratio come
// from the status reply, the start delay and gravity are not asked for.
bool IsReadBackRow(int row) {
  if (!HasServerConsoleKey(row)) return false;
  if (RowTypeOps(row).parse_console == nullptr) return false;
  return row != rows::kNumberOfRounds && row != rows::kTicketRatio &&
         row != rows::kGameStartDelay && row != rows::kPhysicsGravity;
}

std::vector<int> MakeReadBackRows() {
  std::vector<int> result;
  for (int row = 0; row < kSettingCount; ++row) {
    if (IsReadBackRow(row)) result.push_back(row);
  }
  return result;
}

}  // namespace

const std::vector<int>& ReadBackRows() {
  static const std::vector<int> kRows = MakeReadBackRows();
  return kRows;
}

std::string BuildReadSettingsRequest() {
  std::string request;
  for (int row : ReadBackRows()) {
    request.append(kSettingDefs[row].console_key).append("\n");
  }
  return request;
}

std::vector<std::string> SplitReadBackAnswers(std::string_view response) {
  std::vector<std::string> answers;
  std::string current;
  for (char c : response) {
    if (c == '\n') {
      answers.push_back(std::move(current));
      current.clear();
    } else if (c != '\r') {
      current += c;
    }
  }
  if (!current.empty() || answers.empty()) answers.push_back(std::move(current));
  return answers;
}

bool StoreReadBackAnswers(const std::vector<std::string>& answers, SettingValues* values) {
  const std::vector<int>& read_rows = ReadBackRows();
  if (answers.size() != read_rows.size()) {
    SetLastErrorCode(kErrorInvalidData);
    return false;
  }
  for (size_t i = 0; i < read_rows.size(); ++i) {
    int row = read_rows[i];
    // Only blanks is no answer either; nothing is known about the row.
    if (answers[i].find_first_not_of(" \t") == std::string::npos) continue;
    SettingValue value = (*values)[row];
    if (!ParseConsoleValue(row, answers[i], &value)) continue;
    if (!RowTypeOps(row).keep_in_bounds(kSettingDefs[row], &value)) continue;
    (*values)[row] = std::move(value);
  }
  return true;
}

void StoreQueryValue(int row, std::string_view text, SettingValues* values) {
  if (row < 0 || row >= kSettingCount) return;
  SettingValue& value = (*values)[row];
  value.int_value = ParseConInt(text);
  RowTypeOps(row).keep_in_bounds(kSettingDefs[row], &value);
}

std::string BuildApplySettingsRequest(const SettingValues& values,
                                      const SettingsSnapshot& snapshot) {
  std::string request;
  std::string form;
  for (int row = 0; row < kSettingCount; ++row) {
    // Gravity reaches the server only through its start-up commands.
    if (!HasServerConsoleKey(row) || row == rows::kPhysicsGravity) continue;
    if (SettingValuesEqual(row, values[row], snapshot.rows[row])) continue;
    // The pause switch has no console form; pausing has a command of its own.
    if (!FormatConsoleForm(row, values[row], &form)) continue;
    request.append(form).append("\n");
  }
  return request;
}

LiveSettings::LiveSettings(SettingsTable& table, GameLink& link) : table_(table), link_(link) {}

bool LiveSettings::ReadSettingsFromServer() {
  if (!link_.ConsoleConnected()) {
    SetLastErrorCode(kWsaNotConnected);
    return false;
  }
  std::string response;
  if (!link_.RunConsoleCommand(BuildReadSettingsRequest(), &response)) return false;
  SettingValues values = table_.CopyValues();
  if (!StoreReadBackAnswers(SplitReadBackAnswers(response), &values)) return false;
  std::vector<int> stored = ReadBackRows();
  if (link_.StatusPortIdentified()) {
    std::string text;
    if (link_.GetQueryValue(kQueryRoundsKey, &text)) {
      StoreQueryValue(rows::kNumberOfRounds, text, &values);
      stored.push_back(rows::kNumberOfRounds);
    }
    if (link_.GetQueryValue(kQueryTicketRatioKey, &text)) {
      StoreQueryValue(rows::kTicketRatio, text, &values);
      stored.push_back(rows::kTicketRatio);
    }
  }
  // Only the rows the server reported go back and into the snapshot: an unsaved edit of any
  // other row is kept and still counts as a change for the next save.
  table_.StoreRows(values, stored);
  table_.TakeSnapshotOfRows(stored);
  if (refresh_pages_) refresh_pages_();
  return true;
}

bool LiveSettings::ApplySettingsToServer() {
  if (!link_.ConsoleConnected()) {
    SetLastErrorCode(kWsaNotConnected);
    return false;
  }
  SettingsSnapshot sent{table_.CopyValues()};
  std::string request = BuildApplySettingsRequest(sent.rows, table_.GetSnapshot());
  if (!request.empty()) {
    std::string response;
    if (!link_.RunConsoleCommand(request, &response)) return false;
  }
  // What was sent becomes the snapshot; a row changed since then is sent next time.
  table_.SetSnapshot(sent);
  return true;
}

}  // namespace varnholt
