// The auto-admin plugged into the program: the options it obeys, whom it notifies, the
// chat lines it checks, the reload of banned words the settings apply performs, and its
// share of the monitor tick.
#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/editor.h"
#include "platform/last_error.h"
#include "program/program.h"

namespace varnholt {

AutoAdminEnvironment Program::AutoAdminEnvironmentOf() {
  AutoAdminEnvironment env;
  env.kick_ban_delay = [this] { return options_.KickBanDelay; };
  env.admin_messages = [this] { return options_.AdminMessages; };
  env.notify_clients = [this](uint32_t code, std::string_view data, bool has_data) {
    services_.NotifyClients(code, data, has_data);
  };
  env.mark_ping = [this](int id, std::string_view mark) { players_.MarkPing(id, mark); };
  return env;
}

InGameEnvironment Program::InGameEnvironmentOf() {
  InGameEnvironment env;
  env.find_account = [this](std::string_view keyhash) -> std::optional<GameAdminAccount> {
    const std::vector<UserAccount> accounts = accounts_.Accounts();
    for (size_t i = 0; i < accounts.size(); ++i) {
      if (EqualsNoCase(accounts[i].keyhash, keyhash)) {
        return GameAdminAccount{static_cast<int>(i), accounts[i].rights, accounts[i].active};
      }
    }
    return std::nullopt;
  };
  env.next_map_text = [this] {
    return rotation_.GetCurrentLevelText(false, supervisor_.ServerRunning());
  };
  return env;
}

void Program::ConfigureAutoAdmin() {
  auto_admin_.SetDebug(command_line_.debug);
  in_game_commands_.SetDebug(command_line_.debug);
  auto_admin_.SetChatCommandHandler(
      [this](const std::string& line) { in_game_commands_.HandleChatCommand(line); });
  // A missing or unreadable file is logged; chat is then not checked until a reload.
  auto_admin_.LoadBannedWords();
  console_.SetChatSink(&auto_admin_);
}

void Program::AddAutoAdminStoreHooks(SettingsStoreHooks* hooks) {
  hooks->reload_banned_words = [this] { auto_admin_.LoadBannedWords(); };
  hooks->banned_words_edited = [this] { return auto_admin_.BannedWordsEdited(); };
  hooks->clear_banned_words_edited = [this] { auto_admin_.ClearBannedWordsEdited(); };
}

void Program::AutoAdminTick() {
  if (settings_.GetBool("manager.autoAnnounce")) auto_admin_.AnnounceTick();
  if (settings_.GetBool("manager.autoKickScore") || settings_.GetBool("manager.autoKickPing") ||
      settings_.GetBool("manager.autoKickWord")) {
    auto_admin_.ApplyPlayerRules();
  }
}

bool Program::EditBannedWords() {
  if (!OpenInTextEditor(auto_admin_.Files().banned_words)) {
    log_.LogMessage(kSoundError, "Couldn't open banned words file for editing! %s",
                    ErrorText(GetLastErrorCode()));
    return false;
  }
  auto_admin_.SetBannedWordsEdited();
  return true;
}

}  // namespace varnholt
