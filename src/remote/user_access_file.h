// UserAccess.con: one account a line, "name,password,keyhash,rights,active", the first
// three enciphered under the user key as hexadecimal fields. Files from older tools or
// typed by hand may hold plain-text fields; they are read and flagged so the caller can
// write the file back enciphered. This module only turns text into accounts and back; the
// file itself is read and replaced by the functions at the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "remote/access_rights.h"

namespace varnholt {

constexpr size_t kMaxUserName = 31;
constexpr size_t kMaxPassword = 31;
constexpr size_t kKeyhashLength = 32;
// Far beyond any real account list; a larger file is refused rather than read.
constexpr size_t kMaxUserAccessFileSize = 1u << 20;

struct UserAccount {
  std::string name;
  std::string password;
  std::string keyhash;
  AccessRights rights = 0;
  bool active = false;
};

// The five comma-separated fields of one record, as written in the file.
struct UserAccessRecord {
  std::string_view name;
  std::string_view password;
  std::string_view keyhash;
  std::string_view rights;
  std::string_view active;
};

// The blank-free words of the file, one record each.
std::vector<std::string_view> UserAccessWords(std::string_view text);

// Splits a word at its commas; the fifth field runs to the end. False for fewer than five.
bool SplitUserAccessRecord(std::string_view word, UserAccessRecord* record);

// The rights field: decimal, 4294967295 (or -1) for admin; anything that is not a number
// in the 32-bit range gives no rights.
AccessRights ParseRightsField(std::string_view field);

// Turns one record into an account. Fields of the enciphered length are deciphered, others
// are taken as plain text (`*plain` is then set). False, and nothing set, when the name is
// empty or a name, password or keyhash holds a blank or a control character.
bool DecodeUserAccessRecord(const UserAccessRecord& record, UserAccount* account, bool* plain);

// Every valid record of a file's text, in order; `*plain` tells whether any field was
// plain text.
std::vector<UserAccount> ParseUserAccessText(std::string_view text, bool* plain);

// One line, enciphered with fresh filler, with its line feed. False when no random filler
// could be had.
bool FormatUserAccessLine(const UserAccount& account, std::string* line);
bool FormatUserAccessText(const std::vector<UserAccount>& accounts, std::string* text);

// Reads the file (at most kMaxUserAccessFileSize bytes); `*opened` tells an open failure
// from a read failure. Last error on failure.
bool ReadUserAccessFile(const std::string& path, std::string* text, bool* opened);

// Replaces the file with `text`, readable by its owner only, through a temporary file and
// a rename (folders are created); on failure the old file is untouched.
bool WriteUserAccessFile(const std::string& path, std::string_view text);

}  // namespace varnholt
