// The fixed definition of every setting: keys, type, default, bounds, the settings page
// whose control shows it, the files it is written to and its part in the live exchange with
// the running server. Pure data, shared read-only by every thread; the values themselves
// live in SettingsTable.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/ascii_text.h"

namespace varnholt {

enum class SettingType : int {
  kPresence = 0,        // 1 when the bare key line is present
  kBoolean = 1,         // 0 or 1
  kText = 2,            // quoted text of at most highBound characters
  kMessageLines = 3,    // up to five lines joined by CR LF
  kInteger = 4,         // lowBound..highBound
  kNegatedInteger = 5,  // magnitude stored, written negated
  kHundredths = 6,      // number x 100
  kTenths = 7,          // number x 10
  kChoice = 8,          // one code of a "code/label,code/label" list
  kAddress = 9,         // IPv4, first octet in the high byte
};
constexpr size_t kSettingTypeCount = 10;  // what each one does: settings/setting_types.h

// Settings pages in tab order; the bit of a page in a page mask is 1 << page. Pages after
// kPageAdmin (Status, Maps, Players, Bans, Users, Schedule, Clients) hold no settings.
enum SettingPage : int {
  kPageNone = -1,
  kPageServer = 0,
  kPageGame = 1,
  kPageFriendlyFire = 2,
  kPageMisc = 3,
  kPageAdmin = 4,
};
constexpr int kPageCount = 12;
// The tabs after the settings pages, in tab order.
enum PageTab : int {
  kTabStatus = 5,
  kTabMaps = 6,
  kTabPlayers = 7,
  kTabBans = 8,
  kTabUsers = 9,
  kTabSchedule = 10,
  kTabClients = 11,
};
constexpr uint32_t kAllPages = (1u << kPageCount) - 1;

// Files a row is written to.
enum SettingFile : uint8_t {
  kFileNone = 0,
  kFileServer = 1,           // ServerSettings.con
  kFileAutoexec = 2,         // ServerAutoexec.con
  kFileManager = 4,          // Varnholt.con
  kFileAutoexecGravity = 8,  // ServerAutoexec.con, only while manager.gravity is 1
};

// How a row takes part in the exchanges with the running server.
enum class LiveRole : uint8_t {
  kNone,
  kPush,       // sent when changed
  kPushRead,   // sent when changed, read back over the console
  kPushQuery,  // sent when changed, read back from the status query reply
};

struct SettingDef {
  // The page whose control shows the row. Rows on one page are processed in table order;
  // the two spawn-time rows (24 and 25) share one control and are always handled together.
  SettingPage page;
  std::string_view file_key;     // key in ServerSettings.con, may be empty
  std::string_view console_key;  // console command, or "manager..." for our own settings
  SettingType type;
  std::string_view default_text;  // Text/MessageLines default, or the Choice list
  int32_t default_int;            // default of the numeric types (stored units)
  int32_t low_bound;
  int32_t high_bound;  // for Text and Choice: the maximum length
  bool critical;       // changed by a file load only with the critical-settings right
  uint8_t files;       // SettingFile bits
  LiveRole live;
  // Text: a file without a value falls back to the default instead of leaving it empty.
  bool required = false;
  // Choice: the 1-based entry of the list that is the default.
  int32_t default_entry = 0;
};

constexpr int kSettingCount = 87;
constexpr size_t kSettingTextMax = 324;  // characters a value holds

constexpr std::string_view kBandwidthChoices =
    "0/No Limit,8/64 Kbps,16/128 Kbps,32/256 Kbps,64/512 Kbps,128/1024 Kbps,256/2048 Kbps,"
    "1024/8192 Kbps";
constexpr std::string_view kConnectionTypeChoices =
    "CTModem56Kbps/Modem 56 Kbps,CTCable128Kbps/Cable 128 Kbps,CTCable256Kbps/Cable 256 "
    "Kbps,CTLanT1/Lan T1";

namespace setting_def_detail {
using T = SettingType;
using L = LiveRole;
constexpr uint8_t S = kFileServer, A = kFileAutoexec, M = kFileManager, G = kFileAutoexecGravity;
constexpr bool C = true, N = false, R = true;
constexpr int32_t kChoiceLength = 32;

// clang-format off
inline constexpr std::array<SettingDef, kSettingCount> kRows = {{
  // page, file key, console or manager key, type, default text, default, low, high, critical,
  // files, live, then only where they apply: required (Text), default entry (Choice)
  {kPageServer, "game.serverName", "", T::kText, "AFSERVER", 0, 0, 32, N, S|M, L::kNone, R},
  {kPageNone, "game.serverDedicated", "", T::kBoolean, "", 1, 0, 1, N, S, L::kNone},
  {kPageServer, "game.serverIP", "", T::kAddress, "", 0, 0, 0, C, S|M, L::kNone},
  {kPageServer, "", "manager.bindAllIntefaces", T::kBoolean, "", 0, 0, 1, C, M, L::kNone},
  {kPageServer, "game.serverPort", "", T::kInteger, "", 15567, 1024, 65535, C, S|M, L::kNone},
  {kPageServer, "", "manager.consolePort", T::kInteger, "", 5711, 1024, 65535, C, M, L::kNone},
  {kPageServer, "game.gameSpyPort", "", T::kInteger, "", 23000, 1024, 65535, C, S|M, L::kNone},
  {kPageServer, "game.gameSpyLANPort", "", T::kInteger, "", 22000, 1024, 65535, C, S|M, L::kNone},
  {kPageServer, "game.ASEPort", "", T::kInteger, "", 15690, 1024, 65535, C, S|M, L::kNone},
  {kPageServer, "game.serverMaxPlayers", "", T::kInteger, "", 32, 2, 64, C, S|M, L::kNone},
  {kPageServer, "game.setServerWelcomeMessage", "", T::kMessageLines, "", 0, 0, 324, N, S|M, L::kNone},
  {kPageServer, "game.serverInternet", "", T::kBoolean, "", 1, 0, 1, C, S|M, L::kNone},
  {kPageServer, "game.serverBandwidthChokeLimit", "admin.bandwidthChokeLimit", T::kChoice, kBandwidthChoices, 0, 0, kChoiceLength, C, S|A|M, L::kPushRead, N, 1},
  {kPageServer, "game.serverMaxAllowedConnectionType", "admin.maxAllowedConnectionType", T::kChoice, kConnectionTypeChoices, 0, 0, kChoiceLength, C, S|A|M, L::kPushRead, N, 4},
  {kPageServer, "game.serverCoopCPU", "", T::kInteger, "", 100, 1, 100, C, S|M, L::kNone},
  {kPageNone, "game.serverContentCheck", "", T::kInteger, "", 0, 0, 2, N, 0, L::kNone},
  {kPageServer, "game.serverPassword", "", T::kText, "", 0, 0, 32, N, S|M, L::kNone},
  {kPageGame, "game.serverNumberOfRounds", "admin.setNrOfRounds", T::kInteger, "", 3, 0, 10, N, S|A|M, L::kPushQuery},
  {kPageGame, "game.serverGameTime", "admin.timeLimit", T::kInteger, "", 0, 0, 120, N, S|A|M, L::kPushRead},
  {kPageGame, "game.serverScoreLimit", "admin.scoreLimit", T::kInteger, "", 0, 0, 120, N, S|A|M, L::kPushRead},
  {kPageGame, "game.serverTicketRatio", "admin.setTicketRatio", T::kInteger, "", 100, 10, 1000, N, S|A|M, L::kPushQuery},
  {kPageGame, "game.serverCoopAISkill", "", T::kInteger, "", 50, 1, 100, N, S|M, L::kNone},
  {kPageGame, "game.serverAlliedTeamRatio", "", T::kInteger, "", 1, 0, 10, N, S|M, L::kNone},
  {kPageGame, "game.serverAxisTeamRatio", "", T::kInteger, "", 1, 0, 10, N, S|M, L::kNone},
  {kPageGame, "game.serverSpawnTime", "admin.timeToNextWave", T::kInteger, "", 15, 1, 120, N, S|A|M, L::kPushRead},
  {kPageGame, "", "admin.spawnWaveTime", T::kInteger, "", 5, 1, 30, N, A|M, L::kPushRead},
  {kPageGame, "game.serverGameStartDelay", "admin.delayBeforeStartingGame", T::kInteger, "", 20, 0, 120, N, S|A|M, L::kPush},
  {kPageGame, "", "manager.gravity", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageGame, "", "physics.gravity", T::kNegatedInteger, "", 4, 1, 15, N, G|M, L::kNone},
  {kPageGame, "", "admin.timeBeforeRestartMap", T::kInteger, "", 10, 5, 30, N, A|M, L::kPushRead},
  {kPageGame, "game.serverClanTagTeam1", "", T::kText, "", 0, 0, 8, N, S|M, L::kNone},
  {kPageGame, "game.serverClanTagTeam2", "", T::kText, "", 0, 0, 8, N, S|M, L::kNone},
  {kPageGame, "game.serverAutoSwitchTeams", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageGame, "game.serverTicketsCarryOver", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageGame, "game.ServerCPThreatIndicator", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageFriendlyFire, "game.serverPunkBuster", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageFriendlyFire, "", "manager.banInAFandPB", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageFriendlyFire, "game.serverSoldierFriendlyFire", "admin.soldierFFRatio", T::kInteger, "", 100, 0, 200, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "game.serverSoldierFriendlyFireOnSplash", "admin.soldierFFRatioOnSplash", T::kInteger, "", 100, 0, 200, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "game.serverVehicleFriendlyFire", "admin.vehicleFFRatio", T::kInteger, "", 100, 0, 200, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "game.serverVehicleFriendlyFireOnSplash", "admin.vehicleFFRatioOnSplash", T::kInteger, "", 100, 0, 200, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "game.serverKickback", "admin.kickback", T::kHundredths, "", 0, 0, 200, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "game.serverKickbackOnSplash", "admin.kickbackOnSplash", T::kHundredths, "", 0, 0, 200, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "game.serverTKPunishMode", "admin.tkPunishMode", T::kBoolean, "", 0, 0, 1, N, S|A|M, L::kPushRead},
  {kPageFriendlyFire, "", "admin.banPlayerOnTKKick", T::kBoolean, "", 0, 0, 1, N, A|M, L::kPushRead},
  {kPageFriendlyFire, "", "admin.nrOfTKToKick", T::kInteger, "", 3, 0, 20, N, A|M, L::kPushRead},
  {kPageFriendlyFire, "", "admin.spawnDelayPenaltyForTK", T::kTenths, "", 0, 0, 100, N, A|M, L::kPushRead},
  {kPageFriendlyFire, "", "manager.autoKickScore", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageFriendlyFire, "", "manager.autoKickScoreValue", T::kNegatedInteger, "", 6, 1, 25, N, M, L::kNone},
  {kPageFriendlyFire, "", "manager.autoBan", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageFriendlyFire, "", "manager.autoBanValue", T::kInteger, "", 3, 1, 10, N, M, L::kNone},
  {kPageMisc, "", "admin.enableKickPlayerVote", T::kBoolean, "", 1, 0, 1, N, A|M, L::kPushRead},
  {kPageMisc, "", "admin.enableMapVote", T::kBoolean, "", 1, 0, 1, N, A|M, L::kPushRead},
  {kPageMisc, "", "admin.enableKickTeamPlayerVote", T::kBoolean, "", 1, 0, 1, N, A|M, L::kPushRead},
  {kPageMisc, "game.serverAutoBalanceTeams", "admin.autoBalanceTeam", T::kBoolean, "", 0, 0, 1, N, S|A|M, L::kPushRead},
  {kPageMisc, "", "manager.smartBalance", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageMisc, "", "manager.smartBalanceValue", T::kInteger, "", 3, 2, 10, N, M, L::kNone},
  {kPageMisc, "", "admin.votingTime", T::kInteger, "", 60, 0, 120, N, A|M, L::kPushRead},
  {kPageMisc, "", "admin.voteMapMajority", T::kHundredths, "", 60, 1, 100, N, A|M, L::kPushRead},
  {kPageMisc, "", "admin.voteKickPlayerMajority", T::kHundredths, "", 60, 1, 100, N, A|M, L::kPushRead},
  {kPageMisc, "", "admin.voteKickTeamPlayerMajority", T::kHundredths, "", 60, 1, 100, N, A|M, L::kPushRead},
  {kPageMisc, "game.serverExternalViews", "admin.externalViews", T::kBoolean, "", 1, 0, 1, N, S|A|M, L::kPushRead},
  {kPageMisc, "game.serverAllowNoseCam", "admin.allowNoseCam", T::kBoolean, "", 1, 0, 1, N, S|A|M, L::kPushRead},
  {kPageMisc, "game.serverFreeCamera", "game.enableFreeCamera", T::kBoolean, "", 0, 0, 1, N, S|A|M, L::kPushRead},
  {kPageMisc, "game.serverHitIndication", "", T::kBoolean, "", 1, 0, 1, N, S|M, L::kNone},
  {kPageMisc, "game.serverDeathCameraType", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageMisc, "game.serverCrossHairCenterpoint", "admin.crossHairCenterPoint", T::kBoolean, "", 1, 0, 1, N, S|A|M, L::kPushRead},
  {kPageMisc, "game.serverNameTagDistance", "", T::kInteger, "", 100, 0, 600, N, S|M, L::kNone},
  {kPageMisc, "game.serverNameTagDistanceScope", "", T::kInteger, "", 300, 0, 600, N, S|M, L::kNone},
  {kPageAdmin, "", "manager.consoleUsername", T::kText, "UserName", 0, 0, 32, N, M, L::kNone, R},
  {kPageAdmin, "", "manager.consolePassword", T::kText, "Lanterns", 0, 0, 32, N, M, L::kNone, R},
  {kPageAdmin, "", "manager.enableRemoteConsole", T::kBoolean, "", 1, 0, 1, N, M, L::kNone},
  {kPageAdmin, "", "manager.enableRemoteAdmin", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageAdmin, "game.serverNumReservedSlots", "", T::kInteger, "", 0, 0, 64, N, S|M, L::kNone},
  {kPageAdmin, "game.serverReservedPassword", "", T::kText, "", 0, 0, 32, N, S|M, L::kNone},
  {kPageAdmin, "", "manager.monitorTimerPeriod", T::kInteger, "", 30, 10, 60, N, M, L::kNone},
  {kPageAdmin, "", "manager.autoKickPing", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageAdmin, "", "manager.autoKickPingValue", T::kInteger, "", 500, 100, 500, N, M, L::kNone},
  {kPageAdmin, "", "manager.highPingWarnings", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageAdmin, "", "admin.toggleGamePause", T::kPresence, "", 0, 0, 1, N, A|M, L::kNone},
  {kPageAdmin, "", "manager.autoKickWord", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageAdmin, "", "manager.autoAnnounce", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageAdmin, "", "manager.autoAnnouncePeriod", T::kInteger, "", 60, 10, 1800, N, M, L::kNone},
  {kPageAdmin, "game.serverEventLogging", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageAdmin, "game.serverEventLogCompression", "", T::kBoolean, "", 0, 0, 1, N, S|M, L::kNone},
  {kPageAdmin, "", "manager.statCollection", T::kBoolean, "", 0, 0, 1, N, M, L::kNone},
  {kPageAdmin, "", "manager.statFilePath", T::kText, "statistics.csv", 0, 0, 324, N, M, L::kNone, R},
}};
// clang-format on
}  // namespace setting_def_detail

inline constexpr const std::array<SettingDef, kSettingCount>& kSettingDefs =
    setting_def_detail::kRows;

// The row whose file key or console key is `key` (ignoring case), or -1.
constexpr int SettingRowOf(std::string_view key) {
  if (key.empty()) return -1;
  for (int row = 0; row < kSettingCount; ++row) {
    if (EqualsNoCase(kSettingDefs[row].file_key, key) ||
        EqualsNoCase(kSettingDefs[row].console_key, key)) {
      return row;
    }
  }
  return -1;
}

// True when the console key names one of our own settings that the server never sees.
constexpr bool IsManagerKey(std::string_view key) {
  return key.size() >= 7 && EqualsNoCase(key.substr(0, 7), "manager");
}

// The key a settings file uses for the row: its file key, else its console key.
constexpr std::string_view SettingFileKey(int row) {
  const SettingDef& def = kSettingDefs[row];
  return def.file_key.empty() ? def.console_key : def.file_key;
}

// Rows that other subsystems read by name, resolved at compile time.
namespace setting_rows {
constexpr int Row(std::string_view key) {
  return SettingRowOf(key);
}
constexpr int kServerName = Row("game.serverName");
constexpr int kServerDedicated = Row("game.serverDedicated");
constexpr int kServerIp = Row("game.serverIP");
constexpr int kBindAllInterfaces = Row("manager.bindAllIntefaces");
constexpr int kServerPort = Row("game.serverPort");
constexpr int kConsolePort = Row("manager.consolePort");
constexpr int kServerContentCheck = Row("game.serverContentCheck");
constexpr int kServerPassword = Row("game.serverPassword");
constexpr int kWelcomeMessage = Row("game.setServerWelcomeMessage");
constexpr int kReservedPassword = Row("game.serverReservedPassword");
constexpr int kNumberOfRounds = Row("game.serverNumberOfRounds");
constexpr int kGameTime = Row("game.serverGameTime");
constexpr int kTicketRatio = Row("game.serverTicketRatio");
constexpr int kGameStartDelay = Row("game.serverGameStartDelay");
constexpr int kGravity = Row("manager.gravity");
constexpr int kPhysicsGravity = Row("physics.gravity");
constexpr int kPunkBuster = Row("game.serverPunkBuster");
constexpr int kBanInAfAndPb = Row("manager.banInAFandPB");
constexpr int kAutoKickScore = Row("manager.autoKickScore");
constexpr int kAutoKickScoreValue = Row("manager.autoKickScoreValue");
constexpr int kAutoBan = Row("manager.autoBan");
constexpr int kAutoBanValue = Row("manager.autoBanValue");
constexpr int kAutoBalanceTeams = Row("game.serverAutoBalanceTeams");
constexpr int kSmartBalance = Row("manager.smartBalance");
constexpr int kSmartBalanceValue = Row("manager.smartBalanceValue");
constexpr int kConsoleUsername = Row("manager.consoleUsername");
constexpr int kConsolePassword = Row("manager.consolePassword");
constexpr int kEnableRemoteConsole = Row("manager.enableRemoteConsole");
constexpr int kEnableRemoteAdmin = Row("manager.enableRemoteAdmin");
constexpr int kMonitorTimerPeriod = Row("manager.monitorTimerPeriod");
constexpr int kAutoKickPing = Row("manager.autoKickPing");
constexpr int kAutoKickPingValue = Row("manager.autoKickPingValue");
constexpr int kHighPingWarnings = Row("manager.highPingWarnings");
constexpr int kToggleGamePause = Row("admin.toggleGamePause");
constexpr int kAutoKickWord = Row("manager.autoKickWord");
constexpr int kAutoAnnounce = Row("manager.autoAnnounce");
constexpr int kAutoAnnouncePeriod = Row("manager.autoAnnouncePeriod");
constexpr int kStatCollection = Row("manager.statCollection");
constexpr int kStatFilePath = Row("manager.statFilePath");
static_assert(kServerIp == 2 && kServerContentCheck == 15 && kGameStartDelay == 26 &&
              kPhysicsGravity == 28 && kStatFilePath == 86);
}  // namespace setting_rows

}  // namespace varnholt
