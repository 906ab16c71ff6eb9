// Feeds arbitrary BanList.con and pbbans.dat texts to their readers (the first byte picks
// which). Every address must be non-empty without a ":" or blank; every key and GUID is
// one word, and GUIDs are 32 hexadecimal digits.
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
  bans.addresses.ForEach([](std::string_view a) {
    if (a.find(':') != a.npos || a.find(' ') != a.npos || a.find('\r') != a.npos) {
      __builtin_trap();
    }
  });
  bans.keys.ForEach([](std::string_view k) {
    if (k.find(' ') != k.npos || k.find('\r') != k.npos) __builtin_trap();
  });
  bans.guids.ForEach([](std::string_view g) {
    if (g.size() != 32) __builtin_trap();
    for (char c : g) {
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
        __builtin_trap();
      }
    }
  });
  return 0;
}
