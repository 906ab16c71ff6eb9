// Codes of the replies and notifications sent to remote clients.
#pragma once

#include <cstdint>

namespace varnholt {

enum NotifyCode : uint32_t {
  kNotifyFailed = 0xBEEF0001,
  kNotifyConsoleCommandDone = 0xBEEF0002,
  kNotifyDisconnected = 0xBEEF0003,
  kNotifyServerStarted = 0xBEEF0004,
  kNotifyServerStopped = 0xBEEF0005,
  kNotifyServerCrashed = 0xBEEF0006,
  kNotifyServerHung = 0xBEEF0007,
  kNotifyServerPopup = 0xBEEF0008,
  kNotifyAlreadyRunning = 0xBEEF0009,
  kNotifyAlreadyStopped = 0xBEEF000A,
  kNotifySettingsChanged = 0xBEEF000B,
  kNotifyRotationChanged = 0xBEEF000C,
  kNotifyBanListChanged = 0xBEEF000D,
  kNotifyUsersChanged = 0xBEEF000E,
  kNotifyScheduleChanged = 0xBEEF000F,
  kNotifyAnnouncementsChanged = 0xBEEF0010,
  kNotifyBannedWordsChanged = 0xBEEF0011,
  kNotifyPunkBusterChanged = 0xBEEF0012,
  kNotifyCustomCombatChanged = 0xBEEF0013,
  kNotifyPasswordSet = 0xBEEF0014,
  kNotifySucceeded = 0xBEEF0015,
  kNotifyBanListNotSynchronised = 0xBEEF0016,
  kNotifyPunkBusterSaved = 0xBEEF0017,
  kNotifyPunkBusterLoaded = 0xBEEF0018,
  kNotifyPaused = 0xBEEF0019,
  kNotifyUnpaused = 0xBEEF001A,
  kNotifyMapChanged = 0xBEEF001B,
  kNotifyNextMapRun = 0xBEEF001C,
  kNotifyNextMapSet = 0xBEEF001D,
  kNotifyIdleMapSet = 0xBEEF001E,
  kNotifyMapRestarted = 0xBEEF001F,
  kNotifyPlayerKicked = 0xBEEF0020,
  kNotifyPlayerBanned = 0xBEEF0021,
  kNotifyBanRemoved = 0xBEEF0022,
  kNotifyBanListCleared = 0xBEEF0023,
  kNotifyChatSent = 0xBEEF0024,
  kNotifyServerMessageSent = 0xBEEF0025,
  kNotifyChatLine = 0xBEEF0026,
  kNotifyAutoBannedWords = 0xBEEF0027,
  kNotifyAutoKickedWord = 0xBEEF0028,
  kNotifyAutoBannedMinusScore = 0xBEEF0029,
  kNotifyAutoKickedMinusScore = 0xBEEF002A,
  kNotifyAutoKickedPing = 0xBEEF002B,
  kNotifyPlayerNameBanned = 0xBEEF002C,
  kNotifyScreenshotRequested = 0xBEEF002D,
  kNotifyKeepAlive = 0xBEEF002E,
};

constexpr uint32_t kNotifyFirst = kNotifyFailed;
constexpr uint32_t kNotifyLast = kNotifyKeepAlive;

// Command codes: 0xB00B0000 + n.
constexpr uint32_t kCommandBase = 0xB00B0000;
constexpr uint32_t kCommandCount = 30;

enum CommandCode : uint32_t {
  kCmdConsoleConnect = kCommandBase + 0x00,
  kCmdMonitorTick = kCommandBase + 0x01,
  kCmdStatusTick = kCommandBase + 0x02,
  kCmdClientData = kCommandBase + 0x03,
  kCmdNotifyAll = kCommandBase + 0x04,
  kCmdDisconnectClient = kCommandBase + 0x05,
  kCmdRefreshPage = kCommandBase + 0x06,
  kCmdTogglePause = kCommandBase + 0x07,
  kCmdChangeMap = kCommandBase + 0x08,
  kCmdNextMap = kCommandBase + 0x09,
  kCmdSetNextMap = kCommandBase + 0x0A,
  kCmdIdleMap = kCommandBase + 0x0B,
  kCmdRestartMap = kCommandBase + 0x0C,
  kCmdKick = kCommandBase + 0x0D,
  kCmdBan = kCommandBase + 0x0E,
  kCmdUnban = kCommandBase + 0x0F,
  kCmdClearBans = kCommandBase + 0x10,
  kCmdBanName = kCommandBase + 0x11,
  kCmdVerifyBans = kCommandBase + 0x12,
  kCmdSyncToServerBans = kCommandBase + 0x13,
  kCmdSyncFromServerBans = kCommandBase + 0x14,
  kCmdChat = kCommandBase + 0x15,
  kCmdServerMessage = kCommandBase + 0x16,
  kCmdConsoleCommand = kCommandBase + 0x17,
  kCmdSetPassword = kCommandBase + 0x18,
  kCmdScreenshot = kCommandBase + 0x19,
  kCmdReadSettings = kCommandBase + 0x1A,
  kCmdApplySettings = kCommandBase + 0x1B,
  kCmdSavePunkBuster = kCommandBase + 0x1C,
  kCmdLoadPunkBuster = kCommandBase + 0x1D,
};

// Origins of Commands other than remote client slots.
constexpr int32_t kOriginLocal = 0;
constexpr int32_t kOriginGameAdminBase = 0xFF00;

}  // namespace varnholt
