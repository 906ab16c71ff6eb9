#include "bans/server_ban_files.h"

#include <cstdio>

#include "bans/ban_file_format.h"
#include "platform/ascii_text.h"

namespace varnholt {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Calls `word` for each blank-separated word until it returns false.
template <typename F>
void ForEachWord(std::string_view line, F word) {
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    size_t end = pos;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > pos && !word(line.substr(pos, end - pos))) return;
    pos = end;
  }
}

// 32 hexadecimal digits; checked here without touching the last error.
bool IsGuidText(std::string_view w) {
  return IsHexText(w, 32);
}

}  // namespace

std::string AddressBanLine(std::string_view address) {
  return "admin.addAddressToBanList " + std::string(address) + ":0 Perm\n";
}

std::string KeyBanLine(std::string_view keyhash) {
  return "admin.addKeyToBanList " + std::string(keyhash) + " Perm\n";
}

std::string GuidBanEntry(const CalendarFields& local, std::string_view guid) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "[%02u.%02u.%4u %02u.%02u.%02u] ", local.month, local.day,
                local.year, local.hour, local.minute, local.second);
  return stamp + std::string(guid) + " \"\" \"\" \r\n\r\n";
}

ServerBanLine ParseServerBanLine(std::string_view line) {
  std::string_view words[2];
  int count = 0;
  ForEachWord(line, [&](std::string_view w) {
    words[count++] = w;
    return count < 2;
  });
  ServerBanLine result;
  if (count < 2) return result;
  if (EqualsNoCase(words[0], "admin.addAddressToBanList")) {
    std::string_view address = words[1].substr(0, words[1].find(':'));
    if (address.empty()) return result;
    result.kind = ServerBanLine::kAddress;
    result.value = address;
  } else if (EqualsNoCase(words[0], "admin.addKeyToBanList")) {
    result.kind = ServerBanLine::kKey;
    result.value = words[1];
  }
  return result;
}

std::string GuidWord(std::string_view line) {
  if (!line.empty() && line[0] == ';') return std::string();
  std::string guid;
  ForEachWord(line, [&guid](std::string_view w) {
    if (!IsGuidText(w)) return true;
    guid = std::string(w);
    return false;
  });
  return guid;
}

// Words never hold a carriage return, so these readers take lines ending in CR LF as they are.
void ReadBanListConText(std::string_view text, BanIdentities* bans) {
  ForEachBanFileLine(text, [bans](std::string_view line) {
    ServerBanLine ban = ParseServerBanLine(line);
    if (ban.kind == ServerBanLine::kAddress) bans->addresses.insert(ban.value);
    if (ban.kind == ServerBanLine::kKey) bans->keys.insert(ban.value);
  });
}

void ReadPbBansText(std::string_view text, BanIdentities* bans) {
  ForEachBanFileLine(text, [bans](std::string_view line) {
    if (!line.empty() && line[0] == ';') return;
    ForEachWord(line, [bans](std::string_view w) {
      if (!IsGuidText(w)) return true;
      bans->guids.insert(w);
      return false;
    });
  });
}

bool SameIdentity(std::string_view a, std::string_view b) {
  return EqualsNoCase(a, b);
}

namespace {

uint64_t NoCaseHash(std::string_view text) {
  uint64_t h = 1469598103934665603u;
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211u;
  }
  // The multiply leaves the low bits depending only on the low bits of each character, and
  // the table is indexed by the low bits: mix the high ones down.
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdu;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53u;
  return h ^ (h >> 33);
}

}  // namespace

size_t IdentitySet::Find(std::string_view identity, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.value.empty() || (s.hash == hash && EqualsNoCase(s.value, identity))) return i;
  }
}

void IdentitySet::Grow(size_t capacity) {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(capacity, Slot{});
  for (const Slot& s : old) {
    if (!s.value.empty()) slots_[Find(s.value, s.hash)] = s;
  }
}

void IdentitySet::reserve(size_t n) {
  size_t capacity = 16;
  while (capacity < n * 2) capacity *= 2;
  if (capacity > slots_.size()) Grow(capacity);
}

void IdentitySet::insert(std::string_view identity) {
  if (identity.empty()) return;
  if ((size_ + 1) * 2 > slots_.size()) Grow(slots_.empty() ? 16 : slots_.size() * 2);
  const uint64_t hash = NoCaseHash(identity);
  Slot& slot = slots_[Find(identity, hash)];
  if (!slot.value.empty()) return;
  slot = Slot{hash, identity};
  ++size_;
}

std::string_view IdentitySet::FirstNotIn(const IdentitySet& other) const {
  constexpr size_t kAhead = 8;
  if (size_ == 0) return {};
  if (other.size_ == 0) {
    for (const Slot& s : slots_) {
      if (!s.value.empty()) return s.value;
    }
  }
  const size_t mask = other.slots_.size() - 1;
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (i + kAhead < slots_.size() && !slots_[i + kAhead].value.empty()) {
      __builtin_prefetch(&other.slots_[slots_[i + kAhead].hash & mask]);
      __builtin_prefetch(slots_[i + kAhead].value.data());
    }
    const Slot& s = slots_[i];
    if (s.value.empty()) continue;
    if (other.slots_[other.Find(s.value, s.hash)].value.empty()) return s.value;
  }
  return {};
}

size_t IdentitySet::count(std::string_view identity) const {
  if (identity.empty() || slots_.empty()) return 0;
  return slots_[Find(identity, NoCaseHash(identity))].value.empty() ? 0 : 1;
}

bool BansAddress(std::string_view line, std::string_view address) {
  ServerBanLine ban = ParseServerBanLine(line);
  return ban.kind == ServerBanLine::kAddress && ban.value == address;
}

bool BansKey(std::string_view line, std::string_view keyhash) {
  ServerBanLine ban = ParseServerBanLine(line);
  return ban.kind == ServerBanLine::kKey && EqualsNoCase(ban.value, keyhash);
}

bool BansGuid(std::string_view line, std::string_view guid) {
  if (!line.empty() && line[0] == ';') return false;
  bool found = false;
  ForEachWord(line, [&](std::string_view w) {
    found = EqualsNoCase(w, guid);
    return !found;
  });
  return found;
}

}  // namespace varnholt
