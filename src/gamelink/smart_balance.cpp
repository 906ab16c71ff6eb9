// Smart balance: the server's own team auto-balance is switched on when the team sizes
// drift apart by manager.smartBalanceValue or more, and off once they are within one player
// again. Between the two thresholds nothing changes, so a team that gains and loses one
// player does not switch the server back and forth. The flag changes only when the server
// answered, so a failed switch is tried again at the next rebuild.
#include <algorithm>
#include <cstdlib>

#include "gamelink/player_list.h"
#include "settings/setting_def.h"

namespace varnholt {
namespace {

constexpr const char* kChatPrefix = "[VRNH]";
constexpr int kReleaseDifference = 1;
constexpr int kMinEngageDifference = 2;
constexpr int kMaxEngageDifference = 10;

}  // namespace

void PlayerList::SmartBalance(GameLink& link, int team1, int team2) {
  if (settings_.GetInt(setting_rows::kSmartBalance) != 1) return;
  // Kept inside the setting's bounds: a limit of one would engage and release at once.
  const int limit = std::clamp<int>(settings_.GetInt(setting_rows::kSmartBalanceValue),
                                    kMinEngageDifference, kMaxEngageDifference);
  const int difference = std::abs(team2 - team1);
  const bool engaged = smart_balance_engaged_.load();
  if (difference >= limit && !engaged) {
    if (link.RunConsoleCommand("admin.autoBalanceTeam 1")) {
      smart_balance_engaged_ = true;
      Announce(link,
               FormatText(kMaxMessageText, "%s Teams are unbalanced, engaging auto-team-balance",
                          kChatPrefix));
      log_.LogMessage(kSoundNone,
                      "Smart-balance is enabled and teams are unbalanced, engaging "
                      "auto-team-balance.");
    } else {
      log_.LogMessage(kSoundNone, "Couldn't enable auto-team-balance! The command failed.");
    }
  } else if (engaged && difference <= kReleaseDifference) {
    if (link.RunConsoleCommand("admin.autoBalanceTeam 0")) {
      smart_balance_engaged_ = false;
      Announce(link,
               FormatText(kMaxMessageText, "%s Teams are balanced, disengaging auto-team-balance",
                          kChatPrefix));
      log_.LogMessage(kSoundNone,
                      "Smart-balance is enabled and teams are balanced, disengaging "
                      "auto-team-balance.");
    } else {
      log_.LogMessage(kSoundNone, "Couldn't disable auto-team-balance! The command failed.");
    }
  }
}

void PlayerList::Announce(GameLink& link, const std::string& text) {
  if (announce_) {
    announce_(text);
    return;
  }
  // The answer is not examined: a lost announcement is no reason to undo the switch.
  const char* command = admin_messages_ ? "admin.serverMessage" : "game.sayAll";
  link.RunConsoleCommand(std::string(command) + " \"" + text + "\"");
}

}  // namespace varnholt
