// The texts that go with the kick, ban, unban and password requests, built from the
// command's arguments, and the checks that keep malformed identities off the wire.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnholt::varnlink {

struct BanArguments {
  int id = -1;  // the game's player id, or -1 for a ban by identity alone
  std::string name;
  std::string address;
  std::string keyhash;
  std::string guid;
  int64_t seconds = 0;  // 0 = permanent
  std::string reason;
};

// `ban (ID | --address A | --keyhash K | --guid G)... [--name N] [--for DURATION] [REASON...]`.
// False with a reason for a malformed address, keyhash or GUID, a duration that does not
// parse, a bad id, or no identity at all. The server bans identities, so an id alone is
// not enough.
bool ParseBanArguments(const std::vector<std::string>& args, BanArguments* out, std::string* error);
// `unban (--address A | --keyhash K | --guid G | --name N)...`, the same checks.
bool ParseUnbanArguments(const std::vector<std::string>& args, BanArguments* out,
                         std::string* error);

// A player id as the game numbers them: 0 and up.
bool ParsePlayerId(const std::string& text, int* id);

// "id,reason," with commas of the reason turned into semicolons (the server splits at them).
std::string KickRequestText(int id, const std::string& reason);
// id, name, address, keyhash, guid, seconds and reason, each ended by the byte 0xFF;
// "[unknown]" for a missing field, since empty fields collapse on the server's side.
std::string BanRequestText(const BanArguments& ban);
// name, address, keyhash and guid separated by commas, "[unknown]" for a missing one.
std::string UnbanRequestText(const BanArguments& ban);

// The new password's 32-byte field (text, zero byte, random filler) enciphered under the
// user key, as 64 upper-case hexadecimal digits. False when the password is empty, longer
// than 31 characters or holds blanks (the server's own rules).
bool PasswordRequestText(const std::string& password, std::string* text, std::string* error);

}  // namespace varnholt::varnlink
