// Feeds arbitrary console responses to the reader of PunkBuster's player list. Every player
// read has a slot-derived id in range, a GUID of 32 hexadecimal digits and a bounded name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gamelink/player_list_parse.h"
#include "gamelink/punkbuster_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view response(reinterpret_cast<const char*>(data), size);
  for (const varnholt::PunkBusterPlayer& p : varnholt::ParsePunkBusterList(response)) {
    if (p.id < 0 || p.id > varnholt::kMaxPlayerId) __builtin_trap();
    if (p.guid.size() != varnholt::kGuidLength) __builtin_trap();
    if (p.name.size() > varnholt::kPlayerNameParsedMax) __builtin_trap();
  }
  return 0;
}
