#include "settings/settings_files.h"

#include <cstdlib>

#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "settings/con_file.h"
#include "settings/setting_forms.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

constexpr size_t kWelcomeFirstLineMax = 62;
constexpr size_t kWelcomeLineMax = 63;
constexpr int kWelcomeLastLine = 4;
constexpr int kFixedSpawnDelay = 5;

// The text between double quotes: leading quotes skipped, up to the next quote (or the end
// of the line when the value is not quoted).
std::string_view QuotedText(std::string_view rest) {
  size_t start = rest.find_first_not_of('"');
  if (start == std::string_view::npos) return std::string_view();
  rest.remove_prefix(start);
  return rest.substr(0, rest.find('"'));
}

bool ReplaceFile(const std::string& path, const std::string& contents) {
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
  return WriteWholeFile(path, contents);
}

void AppendMessageLine(int number, std::string_view line, std::string* text) {
  if (number < 0 || number > kWelcomeLastLine) return;
  std::string words(line);
  for (char& c : words) {
    if (c == '_') c = ' ';
  }
  if (number == 0) {
    *text = words.substr(0, kWelcomeFirstLineMax);
  } else if (text->size() + words.size() < kSettingTextMax + 1) {
    text->append(words.substr(0, kWelcomeLineMax));
  }
  if (number < kWelcomeLastLine) text->append("\r\n");
  if (text->size() > kSettingTextMax) text->resize(kSettingTextMax);
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
  const char* name = SettingName(row);
  switch (def.type) {
    case SettingType::kPresence:
      value->int_value = 1;
      break;
    case SettingType::kBoolean:
    case SettingType::kInteger: {
      std::string_view word = NextConWord(&rest);
      int32_t number = word.empty() ? value->int_value : ParseConInt(word);
      bool valid = def.type == SettingType::kBoolean
                       ? (number == 0 || number == 1)
                       : (number >= def.low_bound && number <= def.high_bound);
      if (word.empty() || !valid) {
        log_.LogMessage(kSoundNone,
                        "Invalid value of %i detected for setting %s, using default %i.", number,
                        name, def.default_int);
        number = def.default_int;
      }
      value->int_value = number;
      break;
    }
    case SettingType::kNegatedInteger: {
      std::string_view word = NextConWord(&rest);
      int64_t number = word.empty() ? value->int_value : std::llabs(ParseConInt(word));
      if (word.empty() || number < def.low_bound || number > def.high_bound) {
        log_.LogMessage(kSoundNone,
                        "Invalid value of %i detected for setting %s, using default %i.",
                        static_cast<int>(-number), name, -def.default_int);
        number = def.default_int;
      }
      value->int_value = static_cast<int32_t>(number);
      break;
    }
    case SettingType::kHundredths:
    case SettingType::kTenths: {
      bool hundredths = def.type == SettingType::kHundredths;
      int scale = hundredths ? 100 : 10;
      int decimals = hundredths ? 2 : 1;
      std::string_view word = NextConWord(&rest);
      int32_t number = value->int_value;
      bool valid = !word.empty() && ScaleConNumber(ParseConNumber(word), scale, &number) &&
                   number >= def.low_bound && number <= def.high_bound;
      if (!valid) {
        // Numbers formatted apart keep "." as the decimal point in every locale.
        log_.LogMessage(
            kSoundNone, "Invalid value of %s detected for setting %s, using default %s.",
            FormatFixed(static_cast<double>(number) / scale, decimals).c_str(), name,
            FormatFixed(static_cast<double>(def.default_int) / scale, decimals).c_str());
        number = def.default_int;
      }
      value->int_value = number;
      break;
    }
    case SettingType::kText: {
      std::string_view text = QuotedText(rest);
      if (!text.empty()) {
        value->text = std::string(text.substr(0, static_cast<size_t>(def.high_bound)));
      } else if (def.default_int == 1) {
        log_.LogMessage(kSoundNone, "Invalid value detected for setting %s, using default %s.",
                        name, std::string(def.default_text).c_str());
        value->text = std::string(def.default_text);
      } else {
        value->text.clear();
      }
      break;
    }
    case SettingType::kMessageLines: {
      std::string_view word = NextConWord(&rest);
      if (word.empty()) break;
      AppendMessageLine(ParseConInt(word), QuotedText(rest), &value->text);
      break;
    }
    case SettingType::kChoice: {
      std::string_view word = NextConWord(&rest);
      word = word.substr(0, static_cast<size_t>(def.high_bound - 1));
      if (word.empty() || !IsChoiceCode(def.default_text, word)) {
        std::string fallback = ChoiceCode(def.default_text, def.default_int);
        log_.LogMessage(kSoundNone,
                        "Invalid value of %s detected for setting %s, using default %s.",
                        std::string(word).c_str(), name, fallback.c_str());
        value->text = fallback;
      } else {
        value->text = std::string(word);
      }
      break;
    }
    case SettingType::kAddress: {
      std::string_view word = NextConWord(&rest);
      value->int_value = static_cast<int32_t>(word.empty() ? 0u : ParseAddressText(word));
      break;
    }
  }
}

bool SettingsFiles::ReadSettingFromFile(const std::vector<ConLine>& lines, std::string_view key,
                                        int row, SettingValues* values) {
  bool found = false;
  SettingType type = kSettingDefs[row].type;
  for (const ConLine& parts : lines) {
    if (parts.key.empty()) continue;
    // A file that enables the remote console or admin for the server enables ours too.
    if (KeyEqualsNoCase(parts.key, "admin.enableRemoteConsole")) {
      (*values)[rows::kEnableRemoteConsole].int_value = 1;
    } else if (KeyEqualsNoCase(parts.key, "admin.enableRemoteAdmin")) {
      (*values)[rows::kEnableRemoteAdmin].int_value = 1;
    }
    if (!KeyEqualsNoCase(parts.key, key)) continue;
    ParseSettingValue(row, parts.rest, &(*values)[row]);
    found = true;
    if (type != SettingType::kMessageLines) break;
  }
  if (!found && type == SettingType::kPresence) (*values)[row].int_value = 0;
  if (!found && type == SettingType::kMessageLines) (*values)[row].text.clear();
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
    SaveSettingsFile(path, kAllPages);
  }
  if (table_.GetInt(rows::kServerDedicated) == 0) table_.SetInt(rows::kServerDedicated, 1);
  return true;
}

bool SettingsFiles::SetServerAddressAndSave(const std::string& settings_folder, uint32_t address) {
  table_.SetAddress(rows::kServerIp, address);
  return SaveSettingsFile(JoinPath(settings_folder, kManagerSettingsFile), kAllPages);
}

}  // namespace varnholt
