// The operator's edits of accounts on the Users page, as operations the page calls: the
// rights presets from the options file, composing the rights of a saved account from its
// page boxes, and the checks and log lines of saving and deleting an account. The page
// itself (and its message boxes) lives in the user interface.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"
#include "platform/ini_file.h"
#include "remote/access_rights.h"
#include "remote/user_accounts.h"

namespace varnholt {

struct RightsPreset {
  std::string name;
  AccessRights rights = 0;
};

constexpr int kMaxRightsPresets = 10;

// "name,rights": the rights through PresetRights (out of range gives none).
RightsPreset ParseRightsPreset(std::string_view value);
// Section "presets", keys "Preset0" to "Preset9", up to the first missing key.
std::vector<RightsPreset> ReadRightsPresets(const IniFile& options);

// The rights of a saved account: the selected account's rights (none without a selection)
// with the page bits replaced by the checked page boxes. All boxes on an administrator keep
// it an administrator; unchecking one keeps bits 12 and up as they were.
AccessRights ComposePageRights(std::optional<AccessRights> selected, AccessRights page_boxes);

// What the operator typed for one account.
struct AccountForm {
  std::string name;
  std::string password;
  std::string keyhash;
  AccessRights rights = 0;  // already composed
};

// Why a save was refused: the message the page shows, or nullptr when the form is fine.
const char* CheckAccountForm(const AccountForm& form);

// Saves the form as the account of that name (added when new, logged as the operator at
// the console), made active, and marks the list for the next settings save. Returns the
// refusal message, or nullptr when saved.
const char* SaveAccountForm(UserAccounts& accounts, const AccountForm& form, EventLog& log);

// Deletes the named account, logged as the operator at the console, and marks the list
// for the next settings save; false when none.
bool DeleteAccount(UserAccounts& accounts, std::string_view name, EventLog& log);

// Changes the named account in place (its rights from the account menu, its active mark)
// and marks the list for the next settings save; false when no account has that name.
bool EditAccount(UserAccounts& accounts, std::string_view name,
                 const std::function<void(UserAccount&)>& change);

// Opens the options file, where the presets live, in the text editor without waiting; a
// failure is logged.
bool EditRightsPresets(const std::string& options_path, EventLog& log);

}  // namespace varnholt
