#include "autoadmin/auto_admin.h"

#include "bans/bans.h"
#include "core/notify_codes.h"
#include "gamelink/console_wire.h"
#include "platform/files.h"

namespace varnholt {

AutoAdminFiles AutoAdminFiles::In(const std::string& settings_folder) {
  AutoAdminFiles f;
  f.banned_words = FindPathNoCase(settings_folder, "BannedWords.con");
  f.kick_list = FindPathNoCase(settings_folder, "KickList.con");
  f.announcements = FindPathNoCase(settings_folder, "Announcements.con");
  return f;
}

AutoAdmin::AutoAdmin(EventLog& log, const Clock& clock, GameLink& link, CommandQueue& queue,
                     SettingsTable& settings, AutoAdminFiles files, AutoAdminEnvironment env)
    : log_(log),
      clock_(clock),
      link_(link),
      queue_(queue),
      settings_(settings),
      files_(std::move(files)),
      env_(std::move(env)) {}

void AutoAdmin::Announce(const std::string& text) {
  // The answer is not examined: the console client reports a lost connection itself.
  const bool server_message = !env_.admin_messages || env_.admin_messages();
  const char* command = server_message ? "admin.serverMessage \"" : "game.sayAll \"";
  link_.RunConsoleCommand(command + ConsoleSafeText(text) + "\"");
}

void AutoAdmin::QueueServerMessage(const std::string& text) {
  queue_.QueueCommand(kCmdServerMessage, text, kOriginLocal, 0);
}

void AutoAdmin::Notify(uint32_t code, std::string_view data, bool has_data) {
  if (env_.notify_clients) env_.notify_clients(code, data, has_data);
}

bool AutoAdmin::RemovalPending(const PlayerCounts& counts) const {
  return counts.removal_due != 0 && clock_.CalendarSeconds() < counts.removal_due;
}

void AutoAdmin::QueueRemoval(const PlayerRecord& player, Removal removal, const char* reason) {
  const bool delayed = Delayed();
  if (removal == Removal::kKick) {
    QueueKick(queue_, player, reason, kOriginLocal, delayed);
  } else {
    QueueBan(queue_, player, 0, reason, kOriginLocal, delayed);
  }
  if (PlayerCounts* counts = counters_.For(player)) {
    counts->removal_due =
        clock_.CalendarSeconds() + (delayed ? kKickBanDelaySeconds : 0) + kRemovalGraceSeconds;
  }
}

}  // namespace varnholt
