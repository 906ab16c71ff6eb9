// Feeds arbitrary BanList.con and pbbans.dat texts to their readers (the first byte picks
// which). Every address must be non-empty without a ":" or blank; every key and GUID is
// one word, and GUIDs are 32 lower-case hexadecimal digits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bans/server_ban_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt;
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  BanIdentities bans;
  if (data[0] & 1) {
    ReadPbBansText(text, &bans);
  } else {
    ReadBanListConText(text, &bans);
  }
  for (const std::string& a : bans.addresses) {
    if (a.empty() || a.find(':') != std::string::npos || a.find(' ') != std::string::npos) {
      __builtin_trap();
    }
  }
  for (const std::string& k : bans.keys) {
    if (k.empty() || k.find(' ') != std::string::npos) __builtin_trap();
  }
  for (const std::string& g : bans.guids) {
    if (g.size() != 32) __builtin_trap();
    for (char c : g) {
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) __builtin_trap();
    }
  }
  return 0;
}
