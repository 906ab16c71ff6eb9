#include "varnlink/notify_names.h"

#include <array>

#include "core/notify_codes.h"

namespace varnholt::varnlink {
namespace {

constexpr std::array<NotifyName, kNotifyLast - kNotifyFirst + 1> kNames = {{
    {kNotifyFailed, "failed", "the request failed"},
    {kNotifyConsoleCommandDone, "console-command-sent", "console command sent"},
    {kNotifyDisconnected, "disconnected", "you are being disconnected"},
    {kNotifyServerStarted, "server-started", "server started"},
    {kNotifyServerStopped, "server-stopped", "server stopped"},
    {kNotifyServerCrashed, "server-crashed", "server has crashed"},
    {kNotifyServerHung, "server-hung", "server has hung"},
    {kNotifyServerPopup, "server-popup", "server shows a popup window"},
    {kNotifyAlreadyRunning, "already-running", "the server is already running"},
    {kNotifyAlreadyStopped, "already-stopped", "the server is already stopped"},
    {kNotifySettingsChanged, "settings-changed", "server settings changed"},
    {kNotifyRotationChanged, "rotation-changed", "map rotation changed"},
    {kNotifyBanListChanged, "banlist-changed", "ban list changed"},
    {kNotifyUsersChanged, "users-changed", "user list changed"},
    {kNotifyScheduleChanged, "schedule-changed", "schedule changed"},
    {kNotifyAnnouncementsChanged, "announcements-changed", "announcements changed"},
    {kNotifyBannedWordsChanged, "bannedwords-changed", "banned words changed"},
    {kNotifyPunkBusterChanged, "punkbuster-changed", "PunkBuster settings changed"},
    {kNotifyCustomCombatChanged, "customcombat-changed", "CustomCombat settings changed"},
    {kNotifyPasswordSet, "password-changed", "password changed"},
    {kNotifySucceeded, "succeeded", "the request succeeded"},
    {kNotifyBanListNotSynchronised, "banlist-not-synchronised",
     "the ban list does not agree with the server's ban files"},
    {kNotifyPunkBusterSaved, "punkbuster-saved", "PunkBuster settings saved to pbsv.cfg"},
    {kNotifyPunkBusterLoaded, "punkbuster-loaded", "PunkBuster settings loaded from pbsv.cfg"},
    {kNotifyPaused, "paused", "game paused"},
    {kNotifyUnpaused, "unpaused", "game unpaused"},
    {kNotifyMapChanged, "map-changed", "map changed"},
    {kNotifyNextMapRun, "next-map-run", "next map of the rotation started"},
    {kNotifyNextMapSet, "next-map-set", "next map set"},
    {kNotifyIdleMapSet, "idle-map-set", "idle map set"},
    {kNotifyMapRestarted, "map-restarted", "map restarted"},
    {kNotifyPlayerKicked, "player-kicked", "player kicked by an administrator"},
    {kNotifyPlayerBanned, "player-banned", "player banned by an administrator"},
    {kNotifyBanRemoved, "ban-removed", "ban removed"},
    {kNotifyBanListCleared, "banlist-cleared", "ban list cleared"},
    {kNotifyChatSent, "chat-sent", "chat message sent"},
    {kNotifyServerMessageSent, "message-sent", "server message sent"},
    {kNotifyChatLine, "chat", "chat"},
    {kNotifyAutoBannedWords, "auto-banned-words", "player auto-banned for banned words"},
    {kNotifyAutoKickedWord, "auto-kicked-word", "player auto-kicked for a banned word"},
    {kNotifyAutoBannedMinusScore, "auto-banned-score",
     "player auto-banned for too many minus-score kicks"},
    {kNotifyAutoKickedMinusScore, "auto-kicked-score", "player auto-kicked for minus score"},
    {kNotifyAutoKickedPing, "auto-kicked-ping", "player auto-kicked for high ping"},
    {kNotifyPlayerNameBanned, "name-banned", "player name banned"},
    {kNotifyScreenshotRequested, "screenshot-requested", "screenshot requested"},
    {kNotifyKeepAlive, "keep-alive", "keep-alive answered"},
}};

}  // namespace

const NotifyName* FindNotifyName(uint32_t code) {
  if (code < kNotifyFirst || code > kNotifyLast) return nullptr;
  const NotifyName& row = kNames[code - kNotifyFirst];
  return row.code == code ? &row : nullptr;
}

}  // namespace varnholt::varnlink
