// Feeds arbitrary datagrams to the status reply conversion: the first byte picks the
// sections asked for, the rest is the datagram (cut to the largest one a query accepts).
// The text made must stay within its limit, and a value found in it never holds a
// backslash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gamelink/status_datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  varnholt::QuerySections sections;
  sections.rules = data[0] & 1;
  sections.players = data[0] & 2;
  sections.teams = data[0] & 4;
  const std::string_view datagram(reinterpret_cast<const char*>(data + 1),
                                  std::min(size - 1, varnholt::kMaxMsgSize));
  std::string text;
  if (varnholt::ConvertStatusDatagram(datagram, sections, &text) == varnholt::ConvertResult::kOk &&
      !text.empty() && (text.front() != '\\' || text.back() != '\\')) {
    __builtin_trap();
  }
  if (text.size() >= varnholt::kMaxMsgSize) __builtin_trap();
  std::string value;
  for (const char* key : {"hostport", "player_0", "numplayers", "team_t1"}) {
    if (varnholt::FindQueryValue(text, key, &value) &&
        (value.find('\\') != std::string::npos || value.size() > varnholt::kMaxQueryValue)) {
      __builtin_trap();
    }
  }
  return 0;
}
