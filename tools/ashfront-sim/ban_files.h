// The server's own ban files: BanList.con in the settings folder (address and key bans as
// console lines, read at start through the console interpreter) and PunkBuster's
// pb/pbbans.dat (GUID bans). The server rewrites them whole after its bans change.
#pragma once

#include <string>

#include "roster.h"

namespace varnholt::sim {

// The BanList.con text for the roster's address and key bans.
std::string BanListText(const Roster& roster);
// The pbbans.dat text for the roster's GUID bans, stamped with the local time `now`.
std::string GuidBanText(const Roster& roster, long long now);
// Adds the GUID of every line of a pbbans.dat text (the first word of 32 hexadecimal
// digits; lines beginning with ";" are comments).
void ReadGuidBanText(const std::string& text, Roster* roster);

}  // namespace varnholt::sim
