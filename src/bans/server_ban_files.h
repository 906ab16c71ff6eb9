// The game server's own ban files: BanList.con in the settings folder (address and key bans
// as console lines) and PunkBuster's pb/pbbans.dat (GUID bans, stamped in local time).
// The lines written here are the ones the server reads; the readers take any file a user or
// the server hands us and never trust its lengths. Identities are compared as whole tokens,
// so 1.2.3.4 never matches the ban on 11.2.3.4.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  std::string_view value;  // the address (before any ":") or the key; a view into the line
};
ServerBanLine ParseServerBanLine(std::string_view line);
// The first blank-separated word of a pbbans.dat line that is a GUID (32 hexadecimal
// digits), or empty; comment lines (";") give none.
std::string GuidWord(std::string_view line);

// A set of whole identities compared ignoring the case of ASCII letters (hexadecimal keys
// and GUIDs are written either way). It holds views: whatever it was filled from must
// outlive it. Open addressing keeps a set of 100,000 identities free of per-entry
// allocations.
class IdentitySet {
 public:
  // Adds a non-empty identity; an empty one is ignored.
  void insert(std::string_view identity);
  size_t count(std::string_view identity) const;
  size_t size() const { return size_; }
  void reserve(size_t n);

  // The first identity of this set that `other` lacks, or empty. Uses the stored hashes and
  // fetches the other table's slots ahead, so a large comparison waits less on memory.
  std::string_view FirstNotIn(const IdentitySet& other) const;

  template <typename F>
  void ForEach(F visit) const {
    for (const Slot& s : slots_) {
      if (!s.value.empty()) visit(s.value);
    }
  }

 private:
  struct Slot {
    uint64_t hash = 0;
    std::string_view value;
  };
  size_t Find(std::string_view identity, uint64_t hash) const;
  void Grow(size_t capacity);

  std::vector<Slot> slots_;
  size_t size_ = 0;
};

struct BanIdentities {
  IdentitySet addresses;
  IdentitySet keys;
  IdentitySet guids;
};
// The identities a server file bans, as views into `text`.
void ReadBanListConText(std::string_view text, BanIdentities* bans);
void ReadPbBansText(std::string_view text, BanIdentities* bans);

// Identities and names compare ignoring the case of ASCII letters.
bool SameIdentity(std::string_view a, std::string_view b);

// Line tests for removing one identity from the files.
bool BansAddress(std::string_view line, std::string_view address);
bool BansKey(std::string_view line, std::string_view keyhash);
bool BansGuid(std::string_view line, std::string_view guid);

}  // namespace varnholt
