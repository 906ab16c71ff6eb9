// Banned words in chat: two warnings, then a kick, or a ban for a repeat offender.
#include <cstdio>

#include "autoadmin/auto_admin.h"
#include "autoadmin/kick_list.h"
#include "core/notify_codes.h"
#include "platform/ascii_text.h"

namespace varnholt {
namespace {

constexpr uint32_t kChatWarningsBeforeRemoval = 3;

std::string OrUnknown(const std::string& text) {
  return text.empty() ? "[unknown]" : text;
}

// The speaker of "WORD NAME: MESSAGE", cut to 32 characters; false without a blank or ": ".
bool SpeakerOf(std::string_view line, std::string* name) {
  const size_t blank = line.find(' ');
  const size_t colon = line.find(": ");
  if (blank == std::string_view::npos || colon == std::string_view::npos || colon <= blank) {
    return false;
  }
  *name = Cut(line.substr(blank + 1, colon - blank - 1), kBannedNameLength);
  return true;
}

}  // namespace

bool AutoAdmin::KickListReached(std::string_view address, std::string_view keyhash) {
  std::string_view key = settings_.GetBool("game.serverInternet") ? keyhash : address;
  return varnholt::KickListReached(files_.kick_list, key, settings_.GetInt("manager.autoBanValue"),
                                   log_);
}

bool AutoAdmin::CheckChatLine(const std::string& line) {
  // An edit is taken first: it may bring the list a failed load left missing.
  ReloadEditedBannedWords();
  if (!words_.Loaded()) return false;
  const std::string* word = words_.FindOffendingWord(line);
  if (word == nullptr) return true;
  const std::string offending = *word;  // a reload below must not take it away

  std::string name;
  if (!SpeakerOf(line, &name)) return false;
  PlayerRecord p;
  const int id = link_.FindPlayerByExactName(name);
  if (id < 0 || !link_.FindPlayerById(id, &p)) {
    if (env_.debug) {
      log_.LogMessage(kSoundNone,
                      "DEBUG: Couldn't kick player for banned word! Could not determine player "
                      "%s id.",
                      name.c_str());
    }
    return false;
  }
  PlayerCounts* counts = counters_.For(p);
  if (counts == nullptr) return false;  // an id the counts have no room for
  counts->chat_warnings += 1;
  char text[512];
  if (counts->chat_warnings < kChatWarningsBeforeRemoval) {
    snprintf(text, sizeof text, "%s %s do not use the word %s in chat", kAutoAdminPrefix,
             p.name.c_str(), offending.c_str());
    QueueServerMessage(text);
    return true;
  }
  if (RemovalPending(*counts)) return true;  // his kick is already on its way

  const std::string keyhash = OrUnknown(p.keyhash);
  const std::string address = OrUnknown(p.address);
  if (settings_.GetBool("manager.autoBan") && KickListReached(address, keyhash)) {
    // The message goes first, so that he reads it also when there is no delay.
    snprintf(text, sizeof text, "%s Banned %s for using banned words", kAutoAdminPrefix,
             p.name.c_str());
    QueueServerMessage(text);
    QueueRemoval(p, Removal::kBan, "too many kicks for banned words");
    Notify(kNotifyAutoBannedWords, p.name);
    log_.LogMessage(kSoundNone,
                    "Auto-banned %s (%s) at %s for using banned words in chat messages (%s).",
                    p.name.c_str(), keyhash.c_str(), address.c_str(), offending.c_str());
    return true;
  }
  snprintf(text, sizeof text, "%s Kicking %s for using banned words", kAutoAdminPrefix,
           p.name.c_str());
  QueueServerMessage(text);
  QueueRemoval(p, Removal::kKick, "banned words in chat messages");
  Notify(kNotifyAutoKickedWord, p.name);
  log_.LogMessage(kSoundNone,
                  "Auto-kicked %s (%s) at %s for using banned words in chat messages (%s).",
                  p.name.c_str(), keyhash.c_str(), address.c_str(), offending.c_str());
  return true;
}

}  // namespace varnholt
