// PunkBuster's own list of the players ("pb_sv_plist"), the one place the server shows their
// GUIDs. The player list asks for it while PunkBuster runs, so GUID bans and the pages know
// the GUID instead of "[unknown]".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

constexpr const char* kPunkBusterListCommand = "pb_sv_plist";
constexpr size_t kGuidLength = 32;

struct PunkBusterPlayer {
  int id = -1;  // the game's player id: PunkBuster's slot less one
  std::string guid;
  std::string name;
};

// One player line, "PunkBuster Server: SLOT GUID ADDRESS:PORT "NAME"", with a slot from 1, a
// GUID of 32 hexadecimal digits and the name in double quotes; false for any other line (the
// list's head and end lines, or anything malformed).
bool ParsePunkBusterPlayerLine(std::string_view line, PunkBusterPlayer* player);

// Every player line of a whole response.
std::vector<PunkBusterPlayer> ParsePunkBusterList(std::string_view response);

}  // namespace varnholt
