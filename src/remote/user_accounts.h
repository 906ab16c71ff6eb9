// The user accounts of remote and in-game administrators, loaded from and saved to
// UserAccess.con: the login check, the filtered copy a client may see, the merge of a list a
// client sends back, and password changes.
//
// Threads: the login runs on the user-interface thread, requests and password changes on
// the worker, page edits on the user-interface thread. The table is guarded by `mutex_`,
// held only to copy accounts in or out; `file_mutex_` orders whole-file rewrites so a
// slower writer never replaces a newer list with an older one. Neither is held while the
// caller's callbacks run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"
#include "remote/access_rights.h"
#include "remote/user_access_file.h"

namespace varnholt {

// The login result, sent to the client as one byte.
enum class AuthResult : uint8_t {
  kAccepted = 0,
  kUnknownUser = 1,
  kWrongPassword = 2,
  kInactive = 3,
  kNoRights = 4,
  kNoAccounts = 5,
  kAlreadyConnected = 6,
  kTableFull = 7,
};

// Who asks for an export or a merge: the client's user name, address and rights.
struct ClientIdentity {
  std::string user;
  std::string address;
  AccessRights rights = 0;
};

class UserAccounts {
 public:
  // `settings_path` is the settings folder's UserAccess.con.
  UserAccounts(std::string settings_path, EventLog& log);

  const std::string& settings_path() const { return settings_path_; }

  // Replaces the accounts with those of `path`; a file with plain-text fields is written
  // back enciphered at once. On failure (logged) the accounts stay as they were.
  bool LoadUserList(const std::string& path);
  // Writes every account to `path`. Last error on failure; the caller logs.
  bool SaveUserList(const std::string& path);
  // The page refresh: the accounts of the settings file again, dropping unsaved edits. The
  // caller reports a failure as "Couldn't refresh user list!".
  bool RefreshUserList();

  // The login check. `name_connected` tells whether a client is already logged in under
  // that name (asked only when every other check passed).
  AuthResult AuthenticateUser(std::string_view name, std::string_view password,
                              const std::function<bool(std::string_view)>& name_connected,
                              AccessRights* rights) const;

  // Writes to `path` the records of the settings file the client may see: all for an
  // administrator, else those whose rights the client could grant. Refuses the settings
  // file itself as `path`.
  bool ExportUserListForClient(const std::string& path, const ClientIdentity& client);

  // Applies a list the client sent back: adds and updates what the client's rights allow
  // (refusals logged as security alerts), deletes the accounts it dropped that it could
  // see, saves the settings file and sorts the list.
  bool MergeUserList(const std::string& path, const ClientIdentity& client);

  // Sets the password of `user_name` from a 32-byte enciphered field as 64 hexadecimal
  // digits and saves the settings file. False (last error set) when the text is not such a
  // field, the password holds a blank, no account has that name, or the save failed; the
  // accounts are then unchanged.
  bool SetOwnPassword(std::string_view user_name, std::string_view cipher_hex);

  // Copies for the Users page, the client table and in-game administrators.
  std::vector<UserAccount> Accounts() const;
  std::optional<UserAccount> AccountAt(size_t row) const;
  std::optional<UserAccount> FindAccount(std::string_view name) const;
  // Replaces the list (the Users page's edits).
  void SetAccounts(std::vector<UserAccount> accounts);
  // Updates the account of that name (the name keeps its spelling) or adds it at the end;
  // true when it was added.
  bool PutAccount(const UserAccount& account);
  // Removes the account of that name and returns it.
  std::optional<UserAccount> RemoveAccount(std::string_view name);

  // Set by the Users page's edits and its import; the settings save writes the list to the
  // settings file and clears it.
  bool Dirty() const { return dirty_.load(); }
  void SetDirty() { dirty_ = true; }
  void ClearDirty() { dirty_ = false; }

 private:
  bool SaveAccounts(const std::string& path, const std::vector<UserAccount>& accounts);

  const std::string settings_path_;
  EventLog& log_;
  mutable std::mutex mutex_;
  std::vector<UserAccount> accounts_;
  std::mutex file_mutex_;
  std::atomic<bool> dirty_{false};
};

// Case-insensitive comparison of account names.
bool SameUserName(std::string_view a, std::string_view b);

}  // namespace varnholt
