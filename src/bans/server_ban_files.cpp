#include "bans/server_ban_files.h"

#include <cstdio>

#include "bans/ban_file_format.h"

namespace varnholt {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
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
  if (w.size() != 32) return false;
  for (char c : w) {
    bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

void ForEachLine(std::string_view text, const std::function<void(std::string_view)>& line) {
  ForEachBanFileLine(text, line);
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
    result.value = std::string(address);
  } else if (EqualsNoCase(words[0], "admin.addKeyToBanList")) {
    result.kind = ServerBanLine::kKey;
    result.value = std::string(words[1]);
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

std::string LowerHex(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

void ReadBanListConText(std::string_view text, BanIdentities* bans) {
  ForEachLine(text, [bans](std::string_view line) {
    ServerBanLine ban = ParseServerBanLine(line);
    if (ban.kind == ServerBanLine::kAddress) bans->addresses.insert(ban.value);
    if (ban.kind == ServerBanLine::kKey) bans->keys.insert(LowerHex(ban.value));
  });
}

void ReadPbBansText(std::string_view text, BanIdentities* bans) {
  ForEachLine(text, [bans](std::string_view line) {
    std::string guid = GuidWord(line);
    if (!guid.empty()) bans->guids.insert(LowerHex(guid));
  });
}

bool SameIdentity(std::string_view a, std::string_view b) {
  return EqualsNoCase(a, b);
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
