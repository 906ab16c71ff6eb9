#include "remote/user_accounts.h"

#include <algorithm>
#include <filesystem>

#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/last_error.h"
#include "remote/account_fields.h"

namespace varnholt {
namespace {

bool LessUserName(const UserAccount& a, const UserAccount& b) {
  return CompareNoCase(a.name, b.name) < 0;
}

// Reads the accounts file, logging why it could not be read.
bool ReadUserAccessFileLogged(EventLog& log, const std::string& path, std::string* text) {
  bool opened = false;
  if (ReadUserAccessFile(path, text, &opened)) return true;
  const uint32_t error = GetLastErrorCode();
  log.LogMessage(
      kSoundNone,
      opened ? "Couldn't read user access file! %s" : "Couldn't open user access file! %s",
      ErrorText(error));
  SetLastErrorCode(error);
  return false;
}

// Compares every byte whatever the first difference, so the time a wrong password takes
// says nothing about how much of it was right.
bool SamePassword(std::string_view a, std::string_view b) {
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    diff |= static_cast<unsigned char>(a[i] ^ (i < b.size() ? b[i] : 0));
  }
  return diff == 0;
}

UserAccount* FindIn(std::vector<UserAccount>& accounts, std::string_view name) {
  for (UserAccount& account : accounts) {
    if (SameUserName(account.name, name)) return &account;
  }
  return nullptr;
}

// Same file by spelling: "a/./b" and "a/b" are one path. Enough to stop an export from
// overwriting the live file by accident; the request layer never names it another way.
bool SamePath(const std::string& a, const std::string& b) {
  return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

}  // namespace

bool SameUserName(std::string_view a, std::string_view b) {
  return EqualsNoCase(a, b);
}

UserAccounts::UserAccounts(std::string settings_path, EventLog& log)
    : settings_path_(std::move(settings_path)), log_(log) {}

bool UserAccounts::LoadUserList(const std::string& path) {
  std::string text;
  if (!ReadUserAccessFileLogged(log_, path, &text)) return false;
  bool plain = false;
  std::vector<UserAccount> accounts = ParseUserAccessText(text, &plain);
  std::lock_guard file_lock(file_mutex_);
  {
    std::lock_guard lock(mutex_);
    accounts_ = accounts;
  }
  // Plain-text passwords must not stay on disk a moment longer than needed.
  if (plain && !SaveAccounts(path, accounts)) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't save the user access file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  return true;
}

bool UserAccounts::RefreshUserList() {
  if (!LoadUserList(settings_path_)) return false;
  ClearDirty();
  return true;
}

bool UserAccounts::SaveUserList(const std::string& path) {
  std::lock_guard file_lock(file_mutex_);
  return SaveAccounts(path, Accounts());
}

bool UserAccounts::SaveAccounts(const std::string& path, const std::vector<UserAccount>& accounts) {
  std::string text;
  if (!FormatUserAccessText(accounts, &text)) return false;
  return WriteUserAccessFile(path, text);
}

AuthResult UserAccounts::AuthenticateUser(
    std::string_view name, std::string_view password,
    const std::function<bool(std::string_view)>& name_connected, AccessRights* rights) const {
  AccessRights granted = 0;
  {
    std::lock_guard lock(mutex_);
    if (accounts_.empty()) return AuthResult::kNoAccounts;
    auto it = std::find_if(accounts_.begin(), accounts_.end(),
                           [&](const UserAccount& a) { return SameUserName(a.name, name); });
    if (it == accounts_.end()) return AuthResult::kUnknownUser;
    if (!it->active) return AuthResult::kInactive;
    if (!SamePassword(it->password, password)) return AuthResult::kWrongPassword;
    if (it->rights == 0) return AuthResult::kNoRights;
    granted = it->rights;
  }
  if ((granted & kRightMultipleLogins) == 0 && name_connected && name_connected(name)) {
    return AuthResult::kAlreadyConnected;
  }
  *rights = granted;
  return AuthResult::kAccepted;
}

bool UserAccounts::ExportUserListForClient(const std::string& path, const ClientIdentity& client) {
  if (SamePath(path, settings_path_)) {
    SetLastErrorCode(kErrorAccessDenied);
    return false;
  }
  std::string text;
  if (!ReadUserAccessFileLogged(log_, settings_path_, &text)) return false;
  std::string copy;
  for (std::string_view word : UserAccessWords(text)) {
    UserAccessRecord record;
    if (!SplitUserAccessRecord(word, &record)) continue;
    if (client.rights != kAdminRights &&
        !IsRightsSubset(client.rights, ParseRightsField(record.rights))) {
      continue;
    }
    copy.append(word);
    copy.push_back('\n');
  }
  return WriteUserAccessFile(path, copy);
}

bool UserAccounts::MergeUserList(const std::string& path, const ClientIdentity& client) {
  std::string text;
  if (!ReadUserAccessFileLogged(log_, path, &text)) return false;
  const char* user = client.user.c_str();
  const char* address = client.address.c_str();
  std::lock_guard file_lock(file_mutex_);
  std::vector<UserAccount> snapshot;
  // Log lines wait until the table is released: the table lock is never held across I/O.
  struct Note {
    int level;
    std::string line;
  };
  std::vector<Note> notes;
  {
    std::lock_guard lock(mutex_);
    std::vector<std::string> received;
    for (std::string_view word : UserAccessWords(text)) {
      UserAccessRecord record;
      UserAccount line;
      bool plain = false;
      if (!SplitUserAccessRecord(word, &record)) continue;
      if (!DecodeUserAccessRecord(record, &line, &plain)) continue;
      received.push_back(line.name);
      if (!IsRightsSubset(client.rights, line.rights)) {
        notes.push_back({kSoundWarning, FormatText(kMaxMessageText,
                                                   "SECURITY ALERT! User %s at %s attempted to "
                                                   "grant access they don't have to account %s!",
                                                   user, address, line.name.c_str())});
        continue;
      }
      UserAccount* account = FindIn(accounts_, line.name);
      if (account == nullptr) {
        accounts_.push_back(UserAccount{line.name, {}, {}, line.rights, false});
        account = &accounts_.back();
        notes.push_back(
            {kSoundNone, FormatText(kMaxMessageText, "User %s at %s added user account %s.", user,
                                    address, line.name.c_str())});
      } else if (!IsRightsSubset(client.rights, account->rights)) {
        notes.push_back({kSoundWarning, FormatText(kMaxMessageText,
                                                   "SECURITY ALERT! User %s at %s attempted to "
                                                   "update a user account %s that has greater "
                                                   "access!",
                                                   user, address, line.name.c_str())});
        continue;
      } else {
        account->rights = line.rights;
      }
      account->password = line.password;
      // A malformed keyhash would never match a player; keep the account, drop the hash.
      account->keyhash = line.keyhash.empty() || IsValidKeyhash(line.keyhash) ? line.keyhash : "";
      account->active = line.active;
    }
    for (auto it = accounts_.begin(); it != accounts_.end();) {
      const bool kept = std::any_of(received.begin(), received.end(), [&](const std::string& n) {
        return SameUserName(n, it->name);
      });
      if (kept || !IsRightsSubset(client.rights, it->rights)) {
        ++it;
        continue;
      }
      notes.push_back(
          {kSoundNone, FormatText(kMaxMessageText, "User %s at %s deleted user account %s.", user,
                                  address, it->name.c_str())});
      it = accounts_.erase(it);
    }
    std::stable_sort(accounts_.begin(), accounts_.end(), LessUserName);
    snapshot = accounts_;
  }
  for (const Note& note : notes) log_.LogMessage(note.level, "%s", note.line.c_str());
  if (!SaveAccounts(settings_path_, snapshot)) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't save the user access file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  return true;
}

bool UserAccounts::SetOwnPassword(std::string_view user_name, std::string_view cipher_hex) {
  std::optional<std::string> password = DecipherFieldHex(cipher_hex, kPasswordFieldSize);
  if (!password || password->find_first_of(" \t\r\n") != std::string::npos) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  std::lock_guard file_lock(file_mutex_);
  std::vector<UserAccount> changed = Accounts();
  UserAccount* account = FindIn(changed, user_name);
  if (account == nullptr) {
    SetLastErrorCode(kErrorInvalidUsername);
    return false;
  }
  account->password = *password;
  if (!SaveAccounts(settings_path_, changed)) {
    const uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't save the user access file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  // Only the password moves in, so page edits made meanwhile are kept.
  std::lock_guard lock(mutex_);
  if (UserAccount* live = FindIn(accounts_, user_name)) live->password = *password;
  return true;
}

std::vector<UserAccount> UserAccounts::Accounts() const {
  std::lock_guard lock(mutex_);
  return accounts_;
}

std::optional<UserAccount> UserAccounts::AccountAt(size_t row) const {
  std::lock_guard lock(mutex_);
  if (row >= accounts_.size()) return std::nullopt;
  return accounts_[row];
}

std::optional<UserAccount> UserAccounts::FindAccount(std::string_view name) const {
  std::lock_guard lock(mutex_);
  for (const UserAccount& account : accounts_) {
    if (SameUserName(account.name, name)) return account;
  }
  return std::nullopt;
}

void UserAccounts::SetAccounts(std::vector<UserAccount> accounts) {
  std::lock_guard lock(mutex_);
  accounts_ = std::move(accounts);
}

bool UserAccounts::PutAccount(const UserAccount& account) {
  std::lock_guard lock(mutex_);
  if (UserAccount* existing = FindIn(accounts_, account.name)) {
    const std::string name = existing->name;
    *existing = account;
    existing->name = name;
    return false;
  }
  accounts_.push_back(account);
  return true;
}

std::optional<UserAccount> UserAccounts::RemoveAccount(std::string_view name) {
  std::lock_guard lock(mutex_);
  for (auto it = accounts_.begin(); it != accounts_.end(); ++it) {
    if (SameUserName(it->name, name)) {
      UserAccount removed = std::move(*it);
      accounts_.erase(it);
      return removed;
    }
  }
  return std::nullopt;
}

}  // namespace varnholt
