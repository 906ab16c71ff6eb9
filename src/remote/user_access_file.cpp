#include "remote/user_access_file.h"

#include <cstdio>
#include <string>

#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "remote/account_fields.h"

namespace varnholt {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Account texts end up in log lines and on the Users page: no blanks, no control bytes.
bool IsCleanText(std::string_view text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return false;
  }
  return true;
}

std::string FieldOrPlain(std::string_view field, size_t size, bool* plain) {
  if (field.size() == 2 * size) {
    if (auto text = DecipherFieldHex(field, size)) return *text;
  }
  *plain = true;
  return std::string(field.substr(0, size - 1));
}

}  // namespace

std::vector<std::string_view> UserAccessWords(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

bool SplitUserAccessRecord(std::string_view word, UserAccessRecord* record) {
  std::string_view* fields[] = {&record->name, &record->password, &record->keyhash,
                                &record->rights};
  for (std::string_view* field : fields) {
    const size_t comma = word.find(',');
    if (comma == std::string_view::npos) return false;
    *field = word.substr(0, comma);
    word.remove_prefix(comma + 1);
  }
  record->active = word;
  return true;
}

AccessRights ParseRightsField(std::string_view field) {
  bool negative = false;
  if (!field.empty() && field.front() == '-') {
    negative = true;
    field.remove_prefix(1);
  }
  if (field.empty() || field.size() > 10) return 0;
  uint64_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (negative) return value == 1 ? kAdminRights : 0;
  return value <= 0xFFFFFFFFu ? static_cast<AccessRights>(value) : 0;
}

bool DecodeUserAccessRecord(const UserAccessRecord& record, UserAccount* account, bool* plain) {
  bool was_plain = false;
  UserAccount decoded;
  decoded.name = FieldOrPlain(record.name, kNameFieldSize, &was_plain);
  decoded.password = FieldOrPlain(record.password, kPasswordFieldSize, &was_plain);
  decoded.keyhash = FieldOrPlain(record.keyhash, kKeyhashFieldSize, &was_plain);
  if (decoded.name.empty() || !IsCleanText(decoded.name) || !IsCleanText(decoded.password) ||
      !IsCleanText(decoded.keyhash)) {
    return false;
  }
  decoded.rights = ParseRightsField(record.rights);
  // The flag is a number; anything but a leading zero value counts as active.
  long active = 0;
  std::string flag(record.active.substr(0, 16));
  std::sscanf(flag.c_str(), "%ld", &active);
  decoded.active = active != 0;
  *account = std::move(decoded);
  if (was_plain) *plain = true;
  return true;
}

std::vector<UserAccount> ParseUserAccessText(std::string_view text, bool* plain) {
  std::vector<UserAccount> accounts;
  *plain = false;
  for (std::string_view word : UserAccessWords(text)) {
    UserAccessRecord record;
    UserAccount account;
    if (!SplitUserAccessRecord(word, &record)) continue;
    if (!DecodeUserAccessRecord(record, &account, plain)) continue;
    accounts.push_back(std::move(account));
  }
  return accounts;
}

bool FormatUserAccessLine(const UserAccount& account, std::string* line) {
  std::string name;
  std::string password;
  std::string keyhash;
  if (!EncipherFieldHex(account.name, kNameFieldSize, &name) ||
      !EncipherFieldHex(account.password, kPasswordFieldSize, &password) ||
      !EncipherFieldHex(account.keyhash, kKeyhashFieldSize, &keyhash)) {
    return false;
  }
  char tail[32];
  std::snprintf(tail, sizeof tail, ",%lu,%i\n", static_cast<unsigned long>(account.rights),
                account.active ? 1 : 0);
  *line = name + "," + password + "," + keyhash + tail;
  return true;
}

bool FormatUserAccessText(const std::vector<UserAccount>& accounts, std::string* text) {
  std::string out;
  std::string line;
  for (const UserAccount& account : accounts) {
    if (!FormatUserAccessLine(account, &line)) return false;
    out += line;
  }
  *text = std::move(out);
  return true;
}

bool ReadUserAccessFile(const std::string& path, std::string* text, bool* opened) {
  ReadOnlyFile file;
  *opened = file.Open(path, ReadOnlyFile::Folders::kRefuse);
  if (!*opened) return false;
  if (file.Size() > kMaxUserAccessFileSize) {
    SetLastErrorCode(kErrorNotEnoughMemory);
    return false;
  }
  std::string contents(static_cast<size_t>(file.Size()), '\0');
  size_t got = 0;
  if (!file.Read(contents.data(), contents.size(), &got)) return false;
  contents.resize(got);
  *text = std::move(contents);
  return true;
}

bool WriteUserAccessFile(const std::string& path, std::string_view text) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !CreateFolders(path.substr(0, slash))) {
    return false;
  }
  TempFileWriter writer;
  if (!writer.Create(path) || !writer.RestrictToOwner() || !writer.Write(text.data(), text.size()))
    return false;
  return writer.Commit();
}

}  // namespace varnholt
