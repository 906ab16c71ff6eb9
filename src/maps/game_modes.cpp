#include "maps/game_modes.h"

#include "platform/ascii_text.h"

namespace varnholt {
namespace {

constexpr std::string_view kGameTypes[] = {"conquest", "coop", "evolution", "customcombat"};

// Visits the id/name pairs of the table in order until `visit` returns true; returns the
// pair's index, or -1.
template <typename Visit>
int ScanPairs(Visit visit) {
  std::string_view rest = kGameModeTable;
  for (int index = 0; !rest.empty(); ++index) {
    size_t comma = rest.find(',');
    std::string_view pair = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    size_t slash = pair.find('/');
    if (slash == std::string_view::npos) continue;
    if (visit(pair.substr(0, slash), pair.substr(slash + 1))) return index;
  }
  return -1;
}

}  // namespace

std::string_view ModeDisplayName(std::string_view id) {
  std::string_view found;
  ScanPairs([&](std::string_view pair_id, std::string_view name) {
    if (!EqualsNoCase(pair_id, id)) return false;
    found = name;
    return true;
  });
  return found;
}

std::string_view ModeIdFromDisplayName(std::string_view name) {
  std::string_view found;
  ScanPairs([&](std::string_view id, std::string_view pair_name) {
    if (!EqualsNoCase(pair_name, name)) return false;
    found = id;
    return true;
  });
  return found;
}

uint32_t ModeBit(std::string_view id) {
  const int index = ScanPairs(
      [&](std::string_view pair_id, std::string_view) { return EqualsNoCase(pair_id, id); });
  return index < 0 || index >= 32 ? 0 : 1u << index;
}

std::string_view ModeIdFromBit(uint32_t bit) {
  std::string_view found;
  int index = 0;
  ScanPairs([&](std::string_view id, std::string_view) {
    const int at = index++;
    if (at >= 32 || (1u << at) != bit) return false;
    found = id;
    return true;
  });
  return found;
}

std::string_view ModeIdFromGameType(std::string_view gametype) {
  for (uint32_t i = 0; i < 4; ++i) {
    if (EqualsNoCase(gametype, kGameTypes[i])) return ModeIdFromBit(1u << i);
  }
  return {};
}

}  // namespace varnholt
