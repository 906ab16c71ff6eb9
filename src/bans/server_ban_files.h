// The game server's own ban files: BanList.con in the settings folder (address and key bans
// as console lines) and PunkBuster's pb/pbbans.dat (GUID bans, stamped in local time).
// The lines written here are the ones the server reads; the readers take any file a user or
// the server hands us and never trust its lengths. Identities are compared as whole tokens,
// so 1.2.3.4 never matches the ban on 11.2.3.4.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/local_time.h"

namespace varnholt {

// "admin.addAddressToBanList A:0 Perm\n" and "admin.addKeyToBanList K Perm\n".
std::string AddressBanLine(std::string_view address);
std::string KeyBanLine(std::string_view keyhash);
// One pbbans.dat entry and the empty line after it, CR LF each.
std::string GuidBanEntry(const CalendarFields& local, std::string_view guid);

// What one BanList.con line bans.
struct ServerBanLine {
  enum Kind { kNone, kAddress, kKey } kind = kNone;
  std::string value;  // the address (before any ":") or the key
};
ServerBanLine ParseServerBanLine(std::string_view line);
// The first blank-separated word of a pbbans.dat line that is a GUID (32 hexadecimal
// digits), or empty; comment lines (";") give none.
std::string GuidWord(std::string_view line);

// Identities as whole tokens: addresses as written, keys and GUIDs in lower case.
struct BanIdentities {
  std::unordered_set<std::string> addresses;
  std::unordered_set<std::string> keys;
  std::unordered_set<std::string> guids;
};
void ReadBanListConText(std::string_view text, BanIdentities* bans);
void ReadPbBansText(std::string_view text, BanIdentities* bans);
std::string LowerHex(std::string_view text);

// Identities and names compare ignoring the case of ASCII letters.
bool SameIdentity(std::string_view a, std::string_view b);

// Line tests for removing one identity from the files.
bool BansAddress(std::string_view line, std::string_view address);
bool BansKey(std::string_view line, std::string_view keyhash);
bool BansGuid(std::string_view line, std::string_view guid);

}  // namespace varnholt
