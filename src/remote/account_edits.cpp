#include "remote/account_edits.h"

#include <cstdio>
#include <cstdlib>

#include "log/error_text.h"
#include "platform/editor.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kOperator = "operator";
constexpr const char* kConsole = "console";

bool HasBlank(std::string_view text) {
  return text.find_first_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace

RightsPreset ParseRightsPreset(std::string_view value) {
  RightsPreset preset;
  const size_t comma = value.find(',');
  preset.name = std::string(value.substr(0, comma));
  if (comma == std::string_view::npos) return preset;
  const std::string number(value.substr(comma + 1, 24));
  char* end = nullptr;
  const long long rights = std::strtoll(number.c_str(), &end, 10);
  if (end != number.c_str()) preset.rights = PresetRights(rights);
  return preset;
}

std::vector<RightsPreset> ReadRightsPresets(const IniFile& options) {
  std::vector<RightsPreset> presets;
  // A value can be empty, so a missing key is told apart by two different fallbacks.
  for (int i = 0; i < kMaxRightsPresets; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "Preset%i", i);
    const std::string value = options.ReadString("presets", key, "\x01");
    if (value == "\x01" && options.ReadString("presets", key, "\x02") == "\x02") break;
    presets.push_back(ParseRightsPreset(value));
  }
  return presets;
}

AccessRights ComposePageRights(std::optional<AccessRights> selected, AccessRights page_boxes) {
  return (selected.value_or(0) & ~kPageRightsMask) | (page_boxes & kPageRightsMask);
}

const char* CheckAccountForm(const AccountForm& form) {
  if (form.name.empty()) return "You must enter a username!";
  if (HasBlank(form.name)) return "Username cannot contain spaces!";
  if (HasBlank(form.password)) return "Passwords cannot contain spaces!";
  if (form.rights == kAdminRights && form.password.empty()) {
    return "You must enter a password for an admin account!";
  }
  if (!form.keyhash.empty() && !IsValidKeyhash(form.keyhash)) {
    return "The user keyhash is not valid. You must enter a 32-digit hexdecimal number in this "
           "field.";
  }
  return nullptr;
}

const char* SaveAccountForm(UserAccounts& accounts, const AccountForm& form, EventLog& log) {
  if (const char* refusal = CheckAccountForm(form)) return refusal;
  UserAccount account{form.name.substr(0, kMaxUserName), form.password.substr(0, kMaxPassword),
                      form.keyhash, form.rights, true};
  if (accounts.PutAccount(account)) {
    log.LogMessage(kSoundNone, "User %s at %s added user account %s.", kOperator, kConsole,
                   account.name.c_str());
  }
  accounts.SetDirty();
  return nullptr;
}

bool DeleteAccount(UserAccounts& accounts, std::string_view name, EventLog& log) {
  const std::optional<UserAccount> removed = accounts.RemoveAccount(name);
  if (!removed) return false;
  accounts.SetDirty();
  log.LogMessage(kSoundNone, "User %s at %s deleted user account %s.", kOperator, kConsole,
                 removed->name.c_str());
  return true;
}

bool EditAccount(UserAccounts& accounts, std::string_view name,
                 const std::function<void(UserAccount&)>& change) {
  std::optional<UserAccount> account = accounts.FindAccount(name);
  if (!account) return false;
  change(*account);
  accounts.PutAccount(*account);
  accounts.SetDirty();
  return true;
}

bool EditRightsPresets(const std::string& options_path, EventLog& log) {
  if (OpenInTextEditor(options_path)) return true;
  log.LogMessage(kSoundError, "Couldn't open INI file for editing! %s",
                 ErrorText(GetLastErrorCode()));
  return false;
}

}  // namespace varnholt
