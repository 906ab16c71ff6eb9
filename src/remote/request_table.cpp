#include "remote/request_table.h"

namespace varnholt {
namespace {

constexpr RequestRow Any(RequestInput input, const char* name) {
  return {RequestRule::kAny, 0, input, name};
}
constexpr RequestRow Admin(RequestInput input, const char* name) {
  return {RequestRule::kAdminOnly, 0, input, name};
}
constexpr RequestRow Needs(AccessRights bits, RequestInput input, const char* name) {
  return {RequestRule::kAnyOf, bits, input, name};
}

constexpr RequestInput kNone = RequestInput::kNone;
constexpr RequestInput kText = RequestInput::kText;
constexpr RequestInput kFile = RequestInput::kFile;

}  // namespace

const std::array<RequestRow, kRequestCount> kRequestTable = {{
    Any(kNone, "get settings"),                                             // 0
    Any(kFile, "put settings"),                                             // 1
    Needs(kRightPunkBuster, kNone, "get PunkBuster config"),                // 2
    Needs(kRightPunkBuster, kFile, "put PunkBuster config"),                // 3
    Needs(kRightPunkBuster, kNone, "dump PunkBuster settings"),             // 4
    Needs(kRightPunkBuster, kNone, "load PunkBuster settings"),             // 5
    Admin(kNone, "get CustomCombat settings"),                              // 6
    Admin(kFile, "put CustomCombat settings"),                              // 7
    Needs(kRightMapsPage, kNone, "get mod list"),                           // 8
    Needs(kRightMapsPage, kNone, "get map list"),                           // 9
    Needs(kRightMapsPage, kNone, "get map rotation"),                       // 10
    Needs(kRightMapsPage, kFile, "put map rotation"),                       // 11
    Needs(kRightPlayersPage, kNone, "get player list"),                     // 12
    Needs(kRightClientsPage, kNone, "get client list"),                     // 13
    Needs(kRightPlayersPage, kNone, "get player menu"),                     // 14
    Needs(kRightBanlistPage, kNone, "get ban list"),                        // 15
    Needs(kRightBanlistPage, kFile, "put ban list"),                        // 16
    Needs(kRightUsersPage, kNone, "get user list"),                         // 17
    Needs(kRightUsersPage, kFile, "put user list"),                         // 18
    Needs(kRightSchedulePage, kNone, "get schedule"),                       // 19
    Needs(kRightSchedulePage, kFile, "put schedule"),                       // 20
    Needs(kRightStatusPage, kNone, "get server status"),                    // 21
    Needs(kRightAdminPage, kNone, "get announcements"),                     // 22
    Needs(kRightAdminPage, kFile, "put announcements"),                     // 23
    Needs(kRightPlayersPage | kRightAdminPage, kNone, "get banned words"),  // 24
    Needs(kRightPlayersPage | kRightAdminPage, kFile, "put banned words"),  // 25
    Needs(kRightStartStop, kNone, "start the server"),                      // 26
    Needs(kRightStartStop, kNone, "stop the server"),                       // 27
    Needs(kRightStartStop, kNone, "pause or unpause"),                      // 28
    Needs(kRightPlayersPage, kNone, "get game port"),                       // 29
    Needs(kRightMapsPage, kText, "change map"),                             // 30
    Needs(kRightMapsPage, kNone, "run next map"),                           // 31
    Needs(kRightMapsPage, kText, "set next map"),                           // 32
    Needs(kRightMapsPage, kText, "set idle map"),                           // 33
    Needs(kRightMapsPage, kNone, "restart map"),                            // 34
    Needs(kRightPlayersPage, kText, "kick a player"),                       // 35
    Admin(kText, "disconnect a client"),                                    // 36
    Needs(kRightPlayersPage | kRightBanlistPage, kText, "ban a player"),    // 37
    Needs(kRightBanlistPage, kText, "remove a ban"),                        // 38
    Needs(kRightBanlistPage, kNone, "clear the ban lists"),                 // 39
    Needs(kRightPlayersPage, kText, "ban a player name"),                   // 40
    Needs(kRightBanlistPage, kNone, "verify the ban lists"),                // 41
    Needs(kRightBanlistPage, kNone, "sync to the server ban list"),         // 42
    Needs(kRightBanlistPage, kNone, "sync from the server ban list"),       // 43
    Any(kText, "chat message"),                                             // 44
    Any(kText, "server message"),                                           // 45
    Needs(kRightConsoleCommands, kText, "console command"),                 // 46
    Any(kText, "change own password"),                                      // 47
    Needs(kRightViewLog, kNone, "get the event log"),                       // 48
    Needs(kRightPlayersPage, kText, "PunkBuster screenshot"),               // 49
    Any(kNone, "keep-alive"),                                               // 50
}};

const RequestRow* FindRequest(uint32_t code) {
  if (code < kRequestBase || code > kRequestLast) return nullptr;
  return &kRequestTable[code - kRequestBase];
}

bool RequestAllowed(AccessRights rights, uint32_t code) {
  const RequestRow* row = FindRequest(code);
  if (row == nullptr || rights == 0) return false;
  if (rights == kAdminRights) return true;
  switch (row->rule) {
    case RequestRule::kAny:
      return true;
    case RequestRule::kAdminOnly:
      return false;
    case RequestRule::kAnyOf:
      return (rights & row->bits) != 0;
  }
  return false;
}

}  // namespace varnholt
