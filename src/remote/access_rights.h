// Access rights of user accounts: the bits, their text form and the rule that keeps a user
// from handing out rights he does not hold.
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

using AccessRights = uint32_t;

enum AccessRight : uint32_t {
  kRightServerPage = 0x1,
  kRightGamePage = 0x2,
  kRightFriendlyFirePage = 0x4,
  kRightMiscPage = 0x8,
  kRightAdminPage = 0x10,
  kRightStatusPage = 0x20,
  kRightMapsPage = 0x40,
  kRightPlayersPage = 0x80,
  kRightBanlistPage = 0x100,
  kRightUsersPage = 0x200,
  kRightSchedulePage = 0x400,
  kRightClientsPage = 0x800,
  kRightStartStop = 0x1000,
  kRightViewLog = 0x2000,
  kRightMultipleLogins = 0x4000,
  kRightCriticalSettings = 0x8000,
  kRightConsoleCommands = 0x10000,
  kRightPunkBuster = 0x20000,
  kRightCustomCombat = 0x40000,
};

// Every bit set: passes every check. Written 4294967295 in files.
constexpr AccessRights kAdminRights = 0xFFFFFFFFu;
constexpr AccessRights kPageRightsMask = 0xFFF;
// The highest rights value a preset may name other than admin.
constexpr AccessRights kAllDefinedRights = 0x7FFFF;

// "-- admin --" for admin; otherwise the page letters SGFIATMPBUHC, upper case when the
// page's bit is set.
std::string RightsText(AccessRights rights);

// True when `holder` may hand out `wanted`: an administrator may hand out anything; anyone
// else only rights he holds himself, compared over all 32 bits, and never admin.
bool IsRightsSubset(AccessRights holder, AccessRights wanted);

// The rights a preset stands for: its number when it lies in 0..0x7FFFF, admin for -1 (or
// its unsigned form 4294967295), otherwise none.
AccessRights PresetRights(int64_t value);

}  // namespace varnholt
