#include "settings/settings_files.h"

#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "settings/con_file.h"
#include "settings/setting_forms.h"
#include "settings/setting_types.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

constexpr int kFixedSpawnDelay = 5;

bool ReplaceFile(const std::string& path, const std::string& contents) {
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
  return WriteWholeFile(path, contents);
}

}  // namespace

SettingsFiles::SettingsFiles(SettingsTable& table, EventLog& log) : table_(table), log_(log) {}

void SettingsFiles::SetServerNameObserver(std::function<void(const std::string&)> observer) {
  server_name_observer_ = std::move(observer);
}

void SettingsFiles::NotifyServerName(const std::string& name) {
  if (server_name_observer_) server_name_observer_(name);
}

void SettingsFiles::ParseSettingValue(int row, std::string_view rest, SettingValue* value) {
  if (row < 0 || row >= kSettingCount) return;
  const SettingDef& def = kSettingDefs[row];
  TypeOps(def.type).parse_file(def, SettingName(row), rest, value, log_);
}

bool SettingsFiles::ReadSettingFromFile(const std::vector<ConLine>& lines, std::string_view key,
                                        int row, SettingValues* values) {
  bool found = false;
  const SettingTypeOps& type = RowTypeOps(row);
  for (const ConLine& parts : lines) {
    if (parts.key.empty()) continue;
    // A file that enables the remote console or admin for the server enables ours too.
    if (EqualsNoCase(parts.key, "admin.enableRemoteConsole")) {
      (*values)[rows::kEnableRemoteConsole].int_value = 1;
    } else if (EqualsNoCase(parts.key, "admin.enableRemoteAdmin")) {
      (*values)[rows::kEnableRemoteAdmin].int_value = 1;
    }
    if (!EqualsNoCase(parts.key, key)) continue;
    ParseSettingValue(row, parts.rest, &(*values)[row]);
    found = true;
    if (!type.every_file_line) break;
  }
  if (!found && type.absent_from_file != nullptr) type.absent_from_file(&(*values)[row]);
  return found;
}

bool SettingsFiles::LoadSettingsFile(const std::string& path, uint32_t page_mask,
                                     const SettingsUser& user, bool audit) {
  std::string contents;
  switch (ReadConFile(path, &contents)) {
    case ConReadResult::kOk:
      break;
    case ConReadResult::kOpenFailed:
      log_.LogMessage(kSoundNone, "Couldn't open settings file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case ConReadResult::kReadFailed:
      log_.LogMessage(kSoundNone, "Couldn't read settings file! %s", ErrorText(GetLastErrorCode()));
      return false;
  }
  if (contents.empty()) {
    SetLastErrorCode(kErrorFileNotFound);
    return false;
  }
  // Every row scans the file again; the lines are split into key and value only once.
  const std::vector<std::string> text_lines = SplitConLines(contents);
  std::vector<ConLine> lines;
  lines.reserve(text_lines.size());
  for (const std::string& line : text_lines) lines.push_back(SplitConKey(line));
  const SettingValues original = table_.CopyValues();
  SettingValues values = original;
  bool name_read = false;
  for (int page = 0; page < kPageCount; ++page) {
    if ((page_mask & (1u << page)) == 0) continue;
    for (int row = 0; row < kSettingCount; ++row) {
      const SettingDef& def = kSettingDefs[row];
      if (def.page != page) continue;
      SettingValue before = values[row];
      if (!def.critical || user.may_change_critical) {
        bool found = ReadSettingFromFile(lines, SettingFileKey(row), row, &values);
        if (found && row == rows::kServerName) name_read = true;
      }
      if (audit && !SettingValuesEqual(row, before, values[row])) {
        LogSettingChange(log_, user, row, before, values[row]);
      }
    }
  }
  if (values[rows::kAutoBalanceTeams].int_value == 1 &&
      values[rows::kSmartBalance].int_value == 1) {
    log_.LogMessage(kSoundNone,
                    "Both auto-balance and smart-balance are enabled, disabling auto-balance.");
    values[rows::kAutoBalanceTeams].int_value = 0;
  }
  // Only rows this load changed go back, so an edit made meanwhile on the other thread stays.
  std::vector<int> changed;
  for (int row = 0; row < kSettingCount; ++row) {
    if (!(values[row] == original[row])) changed.push_back(row);
  }
  table_.StoreRows(values, changed);
  if (name_read) NotifyServerName(values[rows::kServerName].text);
  return true;
}

bool SettingsFiles::SaveSettingsFile(const std::string& path, uint32_t page_mask) {
  const SettingValues values = table_.CopyValues();
  std::string out;
  bool name_written = false;
  for (int page = 0; page < kPageCount; ++page) {
    if ((page_mask & (1u << page)) == 0) continue;
    for (int row = 0; row < kSettingCount; ++row) {
      if (kSettingDefs[row].page != page) continue;
      out += FormatSettingLine(SettingFileKey(row), row, values[row]);
      if (row == rows::kServerName) name_written = true;
    }
  }
  if (!ReplaceFile(path, out)) {
    log_.LogMessage(kSoundNone, "Couldn't open settings file! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  if (name_written) NotifyServerName(values[rows::kServerName].text);
  return true;
}

bool SettingsFiles::WriteServerSettingsFile(const std::string& path) {
  SettingValues values = table_.CopyValues();
  // The server listens on every interface; the table keeps the chosen address.
  if (values[rows::kBindAllInterfaces].int_value == 1) values[rows::kServerIp].int_value = 0;
  std::string out;
  for (int row = 0; row < kSettingCount; ++row) {
    if (row == rows::kServerContentCheck) continue;
    if (row == rows::kGameStartDelay) {
      out += "game.serverSpawnDelay " + std::to_string(kFixedSpawnDelay) + "\r\n";
    }
    const SettingDef& def = kSettingDefs[row];
    if (!def.file_key.empty()) out += FormatSettingLine(def.file_key, row, values[row]);
  }
  if (!ReplaceFile(path, out)) {
    log_.LogMessage(kSoundNone, "Couldn't open server settings file! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  NotifyServerName(values[rows::kServerName].text);
  return true;
}

bool SettingsFiles::WriteServerAutoexecFile(const std::string& path) {
  const SettingValues values = table_.CopyValues();
  std::string user = SingleLine(values[rows::kConsoleUsername].text);
  std::string password = SingleLine(values[rows::kConsolePassword].text);
  std::string out;
  if (values[rows::kEnableRemoteConsole].int_value == 1) {
    out += "admin.enableRemoteConsole " + user + " " + password + " " +
           std::to_string(values[rows::kConsolePort].int_value) + "\r\n";
  }
  if (values[rows::kEnableRemoteAdmin].int_value == 1) {
    out += "admin.enableRemoteAdmin " + password + "\r\n";
  }
  bool gravity = values[rows::kGravity].int_value != 0;
  for (int row = 0; row < kSettingCount; ++row) {
    std::string_view key = kSettingDefs[row].console_key;
    if (key.empty() || IsManagerKey(key)) continue;
    if (row == rows::kPhysicsGravity && !gravity) continue;
    out += FormatSettingLine(key, row, values[row]);
  }
  if (!ReplaceFile(path, out)) {
    log_.LogMessage(kSoundNone, "Couldn't open server autoexec file! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

bool SettingsFiles::LoadManagerSettingsAtStart(const std::string& settings_folder,
                                               uint32_t first_interface_address) {
  std::string path = JoinPath(settings_folder, kManagerSettingsFile);
  if (!LoadSettingsFile(path, kAllPages, SettingsUser::LocalOperator(), false)) {
    if (GetLastErrorCode() != kErrorFileNotFound) {
      log_.LogMessage(kSoundNone, "Couldn't load settings file!\n%s %s", path.c_str(),
                      ErrorText(GetLastErrorCode()));
      return false;
    }
    // First start: keep the defaults with this machine's address. A failed write has been
    // logged; the settings in memory are still good for this run.
    table_.SetAddress(rows::kServerIp, first_interface_address);
    (void)SaveSettingsFile(path, kAllPages);
  }
  if (table_.GetInt(rows::kServerDedicated) == 0) table_.SetInt(rows::kServerDedicated, 1);
  return true;
}

bool SettingsFiles::SetServerAddressAndSave(const std::string& settings_folder, uint32_t address) {
  table_.SetAddress(rows::kServerIp, address);
  return SaveSettingsFile(JoinPath(settings_folder, kManagerSettingsFile), kAllPages);
}

}  // namespace varnholt
