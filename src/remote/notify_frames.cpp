#include "remote/notify_frames.h"

#include "remote/frames.h"

namespace varnholt {
namespace {

constexpr NotifyAudience kAll = NotifyAudience::kAll;
constexpr NotifyAudience kReq = NotifyAudience::kRequester;

constexpr std::array<NotifyCodeInfo, kNotifyCodeCount> kTable = {{
    {kNotifyFailed, kReq, false},
    {kNotifyConsoleCommandDone, kReq, false},
    {kNotifyDisconnected, NotifyAudience::kTheClient, false},
    {kNotifyServerStarted, kAll, false},
    {kNotifyServerStopped, kAll, false},
    {kNotifyServerCrashed, kAll, false},
    {kNotifyServerHung, kAll, false},
    {kNotifyServerPopup, kAll, false},
    {kNotifyAlreadyRunning, kAll, false},
    {kNotifyAlreadyStopped, kAll, false},
    {kNotifySettingsChanged, kAll, false},
    {kNotifyRotationChanged, kAll, false},
    {kNotifyBanListChanged, kAll, false},
    {kNotifyUsersChanged, kAll, false},
    {kNotifyScheduleChanged, kAll, false},
    {kNotifyAnnouncementsChanged, kAll, false},
    {kNotifyBannedWordsChanged, kAll, false},
    {kNotifyPunkBusterChanged, kAll, false},
    {kNotifyCustomCombatChanged, kAll, false},
    {kNotifyPasswordSet, kReq, false},
    {kNotifySucceeded, kReq, false},
    {kNotifyBanListNotSynchronised, kReq, false},
    {kNotifyPunkBusterSaved, kReq, false},
    {kNotifyPunkBusterLoaded, kReq, false},
    {kNotifyPaused, kAll, false},
    {kNotifyUnpaused, kAll, false},
    {kNotifyMapChanged, kAll, true},
    {kNotifyNextMapRun, kAll, false},
    {kNotifyNextMapSet, kAll, true},
    {kNotifyIdleMapSet, kAll, true},
    {kNotifyMapRestarted, kAll, false},
    {kNotifyPlayerKicked, kAll, true},
    {kNotifyPlayerBanned, kAll, true},
    {kNotifyBanRemoved, kAll, true},
    {kNotifyBanListCleared, kAll, false},
    {kNotifyChatSent, kReq, false},
    {kNotifyServerMessageSent, kReq, false},
    {kNotifyChatLine, kAll, true},
    {kNotifyAutoBannedWords, kAll, true},
    {kNotifyAutoKickedWord, kAll, true},
    {kNotifyAutoBannedMinusScore, kAll, true},
    {kNotifyAutoKickedMinusScore, kAll, true},
    {kNotifyAutoKickedPing, kAll, true},
    {kNotifyPlayerNameBanned, kAll, true},
    {kNotifyScreenshotRequested, kReq, false},
    {kNotifyKeepAlive, kReq, false},
}};

// The table is indexed by code - first; a row out of place would send the wrong rule.
constexpr bool TableInOrder() {
  for (size_t i = 0; i < kTable.size(); ++i) {
    if (kTable[i].code != kNotifyFirst + i) return false;
  }
  return true;
}
static_assert(TableInOrder(), "notification codes must be listed in order, none missing");

}  // namespace

const std::array<NotifyCodeInfo, kNotifyCodeCount>& NotifyCodeTable() {
  return kTable;
}

const NotifyCodeInfo* FindNotifyCode(uint32_t code) {
  if (code < kNotifyFirst || code > kNotifyLast) return nullptr;
  return &kTable[code - kNotifyFirst];
}

std::string NotificationFrame(uint32_t code, std::string_view text) {
  std::string data;
  const NotifyCodeInfo* info = FindNotifyCode(code);
  if (info != nullptr && info->carries_text) {
    data.assign(text.substr(0, text.find('\0')));
    data.push_back('\0');
  }
  std::string frame;
  AppendWord(&frame, code);
  AppendWord(&frame, static_cast<uint32_t>(data.size()));
  frame += data;
  return frame;
}

}  // namespace varnholt
