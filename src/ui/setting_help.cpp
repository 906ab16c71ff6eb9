#include "ui/setting_help.h"

#include <array>

#include "settings/setting_def.h"

namespace varnholt {
namespace {

struct SettingTexts {
  const char* label;
  const char* help;
};

// One entry per row of the settings table, in table order; rows without a page have none.
// clang-format off
constexpr std::array<SettingTexts, kSettingCount> kTexts = {{
  {"Server Name", "Server name as seen in the game server browser window."},
  {"", ""},  // game.serverDedicated: always on, not shown
  {"Server IP", "Network address the game server uses; click the arrows to step through this machine's addresses."},
  {"Use 0.0.0.0", "Check to let the game server accept players on every network address of this machine instead of only the one above."},
  {"Server Port", "Port (1024-65535) on which players connect to the game server."},
  {"Console Port", "Port (1024-65535) of the server's remote console, through which this program administers the game."},
  {"GameSpy Port", "Port (1024-65535) on which the server answers status queries from internet server lists."},
  {"GameSpy LAN Port", "Port (1024-65535) on which the server answers status queries from the local network and from this program."},
  {"ASE Port", "Port (1024-65535) on which the server answers queries from third-party server browsers."},
  {"Max Players", "Maximum number of players (2-64) that can be on the server at once."},
  {"Welcome Message", "Message shown to players when they join: up to five lines of at most 63 characters each."},
  {"Server Type", "Select Internet to list the server on the internet server browsers, or LAN to show it only on the local network."},
  {"Bandwidth Limit", "Most upload bandwidth the server may use; No Limit lets it use all it needs."},
  {"Max Connection Type", "Fastest connection setting that players' game clients may use on this server."},
  {"Co-op CPU", "Share of the processor, in percent (1-100), that computer-controlled soldiers of co-op games may use."},
  {"", ""},  // game.serverContentCheck: held in the table, not shown
  {"Server Password", "Password players must enter to join the server; leave it empty for a public server."},
  {"Number of Rounds", "Rounds played on each map (0-10) before the server moves on to the next map of the rotation."},
  {"Time Limit", "Length of a round in minutes (0-120); 0 means no time limit."},
  {"Score Limit", "Score at which a team wins the round (0-120); 0 means no score limit."},
  {"Ticket Ratio", "Tickets each team starts with, in percent of the map's normal number (10-1000)."},
  {"Co-op AI Skill", "Skill of the computer-controlled soldiers in co-op games, from 1 (weakest) to 100 (strongest)."},
  {"Allied/Axis Ratio", "Allied side of the team size ratio (0-10): with 2 against 1, the Allied team may have twice as many players as the Axis team."},
  {"Allied/Axis Ratio", "Axis side of the team size ratio (0-10): with 1 against 2, the Axis team may have twice as many players as the Allied team."},
  {"Spawn Time", "Time in seconds (1-120) between two reinforcement waves in which dead players return."},
  {"Spawn Time", "Time in seconds (1-30) a reinforcement wave stays open for dead players to return."},
  {"Game Start Delay", "Time in seconds (0-120) the server waits for players before a new game starts."},
  {"Custom Gravity", "Check to give the game the gravity set below each time the server starts."},
  {"Gravity", "Strength of the gravity used while Custom Gravity is checked (1-15, shown and sent to the server as a negative number)."},
  {"Map Restart Delay", "Time in seconds (5-30) between the end of a round and the start of the next one."},
  {"Team 1 Clan Tag", "Clan tag of up to 8 characters that players must wear to join team 1; leave it empty to let anyone join."},
  {"Team 2 Clan Tag", "Clan tag of up to 8 characters that players must wear to join team 2; leave it empty to let anyone join."},
  {"Auto Switch Teams", "Check to make the teams swap sides at the start of every round."},
  {"Tickets Carry Over", "Check to carry each team's remaining tickets over into the next round."},
  {"Control Point Threat Indicator", "Check to show players when the enemy is taking one of their control points."},
  {"PunkBuster", "Check to run the PunkBuster anti-cheat on the server."},
  {"Ban GUIDs in PunkBuster too", "Check to add the PunkBuster GUID of every banned player to PunkBuster's own ban list as well."},
  {"Soldier Friendly Fire", "Damage soldiers do to team mates, in percent of normal damage (0-200); 0 turns it off."},
  {"Soldier Splash Friendly Fire", "Splash damage soldiers' explosives do to team mates, in percent of normal damage (0-200); 0 turns it off."},
  {"Vehicle Friendly Fire", "Damage vehicles do to team mates, in percent of normal damage (0-200); 0 turns it off."},
  {"Vehicle Splash Friendly Fire", "Splash damage vehicles do to team mates, in percent of normal damage (0-200); 0 turns it off."},
  {"Kickback", "Part of the damage done to a team mate that hits the attacker himself (0.00-2.00); 0.00 means none."},
  {"Kickback on Splash", "Part of the splash damage done to a team mate that hits the attacker himself (0.00-2.00); 0.00 means none."},
  {"Punish Team Kills", "Check to let a player who was killed by a team mate choose to punish him."},
  {"Ban on Team-Kill Kick", "Check to ban, rather than only kick, a player who reaches the team-kill limit."},
  {"Team Kills to Kick", "Number of punished team kills (0-20) after which the game kicks the player; 0 never kicks."},
  {"Team-Kill Spawn Penalty", "Extra time in seconds (0.0-10.0) a punished team killer waits before he returns."},
  {"Auto-kick on Minus Score", "Check to kick players whose score falls to the minus score below or lower."},
  {"Minus Score", "Score (-1 to -25) at or below which a player is kicked while auto-kick on minus score is checked."},
  {"Auto-ban", "Check to ban a player instead of kicking him once he has been kicked automatically the number of times below."},
  {"Kicks before Ban", "Number of automatic kicks (1-10) a player receives before the next one becomes a ban; 1 bans at once."},
  {"Kick Player Vote", "Check to let players vote to kick a player."},
  {"Map Vote", "Check to let players vote for the next map."},
  {"Team Kick Vote", "Check to let players vote to kick a player of their own team."},
  {"Auto Balance Teams", "Check to let the game move players between teams to keep them the same size."},
  {"Smart Balance", "Check to switch the game's team balance on only while the teams differ by the number of players below."},
  {"Smart Balance Difference", "Difference in team sizes (2-10) at which smart balance switches the game's team balance on; it is switched off again at 1 or less."},
  {"Voting Time", "Time in seconds (0-120) a vote stays open."},
  {"Map Vote Majority", "Share of the votes (0.01-1.00) a map vote needs to pass."},
  {"Kick Vote Majority", "Share of the votes (0.01-1.00) a vote to kick a player needs to pass."},
  {"Team Kick Vote Majority", "Share of the team's votes (0.01-1.00) a vote to kick a team mate needs to pass."},
  {"External Views", "Check to let players use the outside views of vehicles."},
  {"Nose Camera", "Check to let pilots use the nose camera view."},
  {"Free Camera", "Check to let dead players move the camera freely while they wait to return."},
  {"Hit Indication", "Check to show players a mark when their shots hit."},
  {"Alternative Death Camera", "Check to show dead players the game's alternative death camera instead of the standard one."},
  {"Crosshair Center Point", "Check to show a dot at the centre of the crosshair."},
  {"Name Tag Distance", "Distance in metres (0-600) up to which players see the names of other players; 0 hides them."},
  {"Scoped Name Tag Distance", "Distance in metres (0-600) up to which players looking through a scope see names; 0 hides them."},
  {"Console User Name", "User name with which this program logs in to the server's remote console."},
  {"Console Password", "Password with which this program logs in to the server's remote console."},
  {"Enable Remote Console", "Check to open the server's remote console, through which this program administers the game."},
  {"Enable Remote Admin", "Check to let Varnlink remote administrators connect to this program."},
  {"Reserved Slots", "Number of player slots (0-64) kept for players who know the reserved password."},
  {"Reserved Password", "Password that lets a player take one of the reserved slots."},
  {"Monitor Period", "Time in seconds between server monitoring checks and auto-admin functions."},
  {"Auto-kick High Ping", "Check to kick players whose ping reaches the limit below four checks in a row."},
  {"Ping Limit", "Ping in milliseconds (100-500) at or above which a player's ping counts as too high."},
  {"High Ping Warnings", "Check to warn players whose ping is too high before they are kicked."},
  {"Start Paused", "Check to have the game paused when the server starts, until an admin unpauses it."},
  {"Auto-kick Banned Words", "Check to warn and kick players who use banned words in their name or in chat."},
  {"Auto-announce", "Check to send the announcements to the players one after another at the period below."},
  {"Announcement Period", "Time between two announcements, in minutes and seconds (0:10-30:00)."},
  {"Event Logging", "Check to have the game server write its own event log of every game."},
  {"Compress Event Logs", "Check to have the game server compress its event logs."},
  {"Collect Statistics", "Check to append every player's statistics to the statistics file at the end of each game."},
  {"Statistics File", "File inside the game folder to which player statistics are appended, as comma-separated values."},
}};
// clang-format on

}  // namespace

const char* SettingHelpText(int row) {
  if (row < 0 || row >= kSettingCount || kSettingDefs[row].page == kPageNone) return "";
  return kTexts[row].help;
}

const char* SettingLabelText(int row) {
  if (row < 0 || row >= kSettingCount || kSettingDefs[row].page == kPageNone) return "";
  return kTexts[row].label;
}

}  // namespace varnholt
