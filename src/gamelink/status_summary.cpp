#include "gamelink/status_summary.h"

#include "gamelink/status_query.h"
#include "log/error_text.h"
#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "platform/local_time.h"

namespace varnholt {
namespace {

constexpr const char* kMissing = "??";

// The Status page's label of each field after the name (the name has none).
constexpr std::array<const char*, kStatusFieldCount> kLabels = {
    "",
    " Address: ",
    " Players: ",
    " Current map: ",
    " Next map: ",
    " Idle map: ",
    " Process state: ",
    " Last crash: ",
    " Connection state: ",
    " Game state: ",
    " Version: ",
    " Password: ",
    " TK mode: ",
    " Content check: ",
    " Score totals (a/x/t): ",
    " Players totals (a/x/t): ",
    " Round remaining: ",
    " Tickets remaining (a/x): ",
    " PunkBuster: ",
};

// An empty field would vanish on the reading side, where runs of commas count as one, and
// every field after it would move up; it is written as missing instead.
void AppendField(std::string* text, std::string value) {
  if (value.empty()) value = kMissing;
  if (value.size() > kMaxStatusFieldLength) value.resize(kMaxStatusFieldLength);
  *text += value;
  *text += ',';
}

class ReplyFields {
 public:
  explicit ReplyFields(const ServerStatusLink& link) : link_(link) {}

  // The value of a key of the fresh reply; missing while disconnected or when absent.
  std::string Value(const char* key) const {
    if (!link_.connected || link_.reply == nullptr) return kMissing;
    std::optional<std::string> value = StatusQuery::GetQueryValue(*link_.reply, key);
    return value ? *value : std::string(kMissing);
  }

  // A value told by its first character only.
  std::string Choice(const char* key, const char* zero, const char* one, const char* two) const {
    const std::string value = Value(key);
    if (value == kMissing || value.empty()) return kMissing;
    if (value[0] == '0' && zero != nullptr) return zero;
    if (value[0] == '1' && one != nullptr) return one;
    if (value[0] == '2' && two != nullptr) return two;
    return kMissing;
  }

 private:
  const ServerStatusLink& link_;
};

std::string CrashText(int64_t crash_time) {
  if (crash_time == 0) return kMissing;
  // The C library's ctime form, without its line feed: "Tue Mar  2 14:05:09 2004".
  std::string text = FormatLocalTime(crash_time, "%a %b %e %H:%M:%S %Y");
  return text.empty() ? std::string(kMissing) : text;
}

std::string PunkBusterText(const ServerStatusFacts& facts) {
  if (!facts.punkbuster_installed) return "Not installed";
  return facts.punkbuster_enabled ? "Enabled (version unknown)" : "Disabled (version unknown)";
}

}  // namespace

std::string FormatServerStatus(const ServerStatusFacts& facts, const ServerStatusLink& link) {
  const ReplyFields reply(link);
  std::string text;
  std::string name = facts.server_name;
  if (name.size() > kMaxStatusFieldLength) name.resize(kMaxStatusFieldLength);
  text += "\"" + name + "\",";
  AppendField(&text, IpToText(facts.server_ip) + ":" + std::to_string(facts.server_port));
  const std::string present = link.connected ? reply.Value("numplayers") : std::string("--");
  std::string maximum = link.maxplayers ? *link.maxplayers : std::string(kMissing);
  if (maximum.empty()) maximum = kMissing;
  AppendField(&text, present + " of " + maximum);
  AppendField(&text, facts.current_map);
  AppendField(&text, facts.next_map);
  AppendField(&text, facts.idle_map);
  AppendField(&text, facts.server_running ? "Running" : "Stopped");
  AppendField(&text, CrashText(facts.crash_time));
  AppendField(&text, link.connected ? "Connected" : "Disconnected");
  AppendField(&text, reply.Value("gamemode"));
  AppendField(&text, reply.Value("gamever"));
  AppendField(&text, reply.Choice("password", "No", "Yes", nullptr));
  AppendField(&text, reply.Value("tk_mode"));
  AppendField(&text, reply.Choice("content_check", "Disabled", "Pure mode", "Unpure mode"));
  AppendField(&text, link.team_scores);
  AppendField(&text, link.team_counts);
  std::string remaining = reply.Value("roundTimeRemain");
  AppendField(&text, remaining == "-1" ? std::string("Unlimited") : remaining);
  const std::string axis = reply.Value("tickets_t0");
  const std::string allied = reply.Value("tickets_t1");
  AppendField(&text, axis == kMissing || allied == kMissing ? std::string(kMissing)
                                                            : axis + " / " + allied);
  AppendField(&text, PunkBusterText(facts));
  // The doubled comma after an enabled PunkBuster is part of what clients expect.
  if (facts.punkbuster_installed && facts.punkbuster_enabled) text += ',';
  return text;
}

bool SplitServerStatus(const std::string& text, StatusPageLines* page) {
  *page = StatusPageLines{};
  if (text.empty() || text[0] != '"') return false;
  const size_t close = text.find('"', 1);
  if (close == std::string::npos) return false;
  page->lines[0] = " " + text.substr(1, close - 1);
  size_t pos = close + 1;
  for (size_t field = 1; field < kStatusFieldCount; ++field) {
    pos = text.find_first_not_of(',', pos);
    if (pos == std::string::npos) return false;
    size_t end = text.find(',', pos);
    if (end == std::string::npos) end = text.size();
    const std::string value = text.substr(pos, end - pos);
    page->lines[field] = kLabels[field] + value;
    if (field == 6) page->running = value == "Running";
    pos = end;
  }
  return true;
}

StatusSummary::StatusSummary(EventLog& log, GameLink& link, const PlayerList& players)
    : log_(log), link_(link), players_(players) {}

bool StatusSummary::GetServerStatusString(std::string* text) {
  if (text == nullptr) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  text->clear();
  ServerStatusLink link;
  std::string reply;
  link.connected = link_.ConsoleConnected();
  if (link.connected) {
    if (!link_.QueryServerStatus(&reply)) {
      if (debug_) {
        log_.LogMessage(kSoundNone, "DEBUG: GetServerStatusString: Couldn't get server status! %s",
                        ErrorText(GetLastErrorCode()));
      }
      return false;
    }
    link.reply = &reply;
  }
  std::string value;
  if (link.connected) {
    std::optional<std::string> found = StatusQuery::GetQueryValue(reply, "maxplayers");
    if (found) link.maxplayers = *found;
  } else if (link_.GetQueryValue("maxplayers", &value)) {
    link.maxplayers = value;
  }
  link.team_scores = players_.TeamScoresText();
  link.team_counts = players_.TeamCountsText();
  *text = FormatServerStatus(facts_ ? facts_() : ServerStatusFacts{}, link);
  return true;
}

bool StatusSummary::ShowServerStatus(const std::string& text) {
  StatusPageLines lines;
  const bool whole = SplitServerStatus(text, &lines);
  std::lock_guard<std::mutex> lock(mutex_);
  shown_text_ = text;
  shown_lines_ = lines;
  return whole;
}

bool StatusSummary::RefreshServerStatus() {
  std::string text;
  if (!GetServerStatusString(&text)) return false;
  return ShowServerStatus(text);
}

std::string StatusSummary::ServerStatusText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shown_text_;
}

StatusPageLines StatusSummary::PageLines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shown_lines_;
}

}  // namespace varnholt
