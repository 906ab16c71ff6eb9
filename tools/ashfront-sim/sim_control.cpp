#include "sim_control.h"

#include <signal.h>
#include <sys/resource.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace varnholt::sim {
namespace {

constexpr size_t kMaxChatText = 200;

[[noreturn]] void Crash() {
  // No core file: a test that crashes the server on purpose should leave nothing behind.
  struct rlimit none {
    0, 0
  };
  setrlimit(RLIMIT_CORE, &none);
  fprintf(stdout, "Crashing on request\n");
  fflush(stdout);
  abort();
}

}  // namespace

void SplitWho(const std::string& text, std::string* who, std::string* rest) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) {
    who->clear();
    rest->clear();
    return;
  }
  size_t end;
  if (text[start] == '"') {
    end = text.find('"', start + 1);
    *who = text.substr(start + 1, end == std::string::npos ? end : end - start - 1);
    if (end != std::string::npos) ++end;
  } else {
    end = text.find(' ', start);
    *who = text.substr(start, end == std::string::npos ? end : end - start);
  }
  *rest = end == std::string::npos ? std::string() : text.substr(end);
  size_t first = rest->find_first_not_of(' ');
  *rest = first == std::string::npos ? std::string() : rest->substr(first);
}

SimControl::SimControl(ServerInfo& info, Roster& roster, Match& match, GameEvents& events,
                       const Clock& clock)
    : info_(info), roster_(roster), match_(match), events_(events), clock_(clock) {}

bool SimControl::hung() const {
  return hung_forever_ || clock_.MonotonicMs() < hung_until_ms_;
}

void SimControl::ApplyFault(const FaultPlan& plan, std::vector<std::string>* out) {
  if (plan.kind == "crash") Crash();
  if (plan.kind == "hang") {
    int seconds = atoi(plan.argument.c_str());
    if (seconds > 0) {
      hung_forever_ = false;
      hung_until_ms_ = clock_.MonotonicMs() + static_cast<uint64_t>(seconds) * 1000;
      out->push_back("Hanging for " + std::to_string(seconds) + " seconds");
    } else {
      hung_forever_ = true;
      out->push_back("Hanging");
    }
  } else if (plan.kind == "freeze") {
    out->push_back("Stopping the process (continue it with SIGCONT)");
    fflush(stdout);
    raise(SIGSTOP);
  } else if (plan.kind == "popup") {
    std::string what;
    popup_.Open(&what);
    out->push_back(what);
  } else if (plan.kind == "slow") {
    slow_ms_ = std::max(0, std::min(atoi(plan.argument.c_str()), 60000));
    out->push_back("Answering after " + std::to_string(slow_ms_) + " ms");
  } else if (plan.kind == "refuse-login") {
    refuse_login_ = plan.argument != "off" && plan.argument != "0";
    out->push_back(refuse_login_ ? "Refusing console logins" : "Accepting console logins");
  } else if (plan.kind == "stale-reply") {
    stale_replies_ = plan.argument != "off" && plan.argument != "0";
    out->push_back(stale_replies_ ? "Sending a stale datagram before each status reply"
                                  : "Sending status replies alone");
  } else if (plan.kind == "oversized-reply") {
    oversized_replies_ = plan.argument != "off" && plan.argument != "0";
    out->push_back(oversized_replies_ ? "Sending oversized status replies"
                                      : "Sending status replies of normal size");
  } else if (plan.kind == "fail-command") {
    failing_command_.clear();
    if (plan.argument != "off" && !plan.argument.empty()) {
      for (char ch : plan.argument) failing_command_ += static_cast<char>(tolower(ch));
    }
    out->push_back(failing_command_.empty() ? "Answering every console command"
                                            : "Failing console command " + plan.argument);
  } else if (plan.kind == "quit") {
    quit_requested_ = true;
    out->push_back("Quitting");
  }
}

bool SimControl::FailsCommand(const std::string& line) const {
  if (failing_command_.empty()) return false;
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  size_t end = line.find_first_of(" \t", start);
  std::string word = line.substr(start, end == std::string::npos ? end : end - start);
  for (char& ch : word) ch = static_cast<char>(tolower(ch));
  return word == failing_command_;
}

void SimControl::Execute(const std::string& line, std::vector<std::string>* out) {
  std::string command, argument;
  SplitWho(line, &command, &argument);
  if (command.empty()) return;
  FaultPlan plan;
  std::string error;
  if (command == "crash" || command == "hang" || command == "freeze" || command == "popup" ||
      command == "slow" || command == "refuse-login" || command == "stale-reply" ||
      command == "oversized-reply" || command == "fail-command" || command == "quit") {
    plan.kind = command;
    plan.argument = argument;
    ApplyFault(plan, out);
  } else if (command == "unhang") {
    hung_forever_ = false;
    hung_until_ms_ = 0;
    out->push_back("Answering again");
  } else if (command == "close-popup") {
    popup_.Close();
    out->push_back("Error popup closed");
  } else if (command == "chat" || command == "teamchat") {
    Chat(argument, command == "teamchat", out);
  } else if (command == "join") {
    Join(argument, out);
  } else if (command == "leave") {
    Leave(argument, out);
  } else if (command == "rejoin") {
    for (const std::string& l : roster_.RejoinAll(info_.max_players, info_.punkbuster)) {
      events_.ConsoleLine(l);
      out->push_back(l);
    }
  } else if (command == "end-round") {
    match_.EndRound();
  } else if (command == "score") {
    // score <who> <score> [kills] [deaths]
    std::string who, rest;
    SplitWho(argument, &who, &rest);
    Player* p = FindPlayer(who);
    if (p == nullptr) return out->push_back("No such player: " + who);
    int score = 0, kills = p->kills, deaths = p->deaths;
    if (sscanf(rest.c_str(), "%d %d %d", &score, &kills, &deaths) < 1) {
      return out->push_back("Usage: score <who> <score> [kills] [deaths]");
    }
    p->score = score;
    p->kills = kills;
    p->deaths = deaths;
  } else if (command == "ping") {
    std::string who, rest;
    SplitWho(argument, &who, &rest);
    Player* p = FindPlayer(who);
    if (p == nullptr) return out->push_back("No such player: " + who);
    p->ping = std::max(0, std::min(atoi(rest.c_str()), 9999));
  } else if (command == "hold-ping" || command == "hold-score") {
    Hold(command == "hold-ping", argument, out);
  } else if (command == "chat-raw") {
    // Any chat text, also one naming a speaker who is not on the server.
    events_.ChatLine('0', argument.substr(0, kMaxChatText));
  } else {
    out->push_back("Unknown sim command: " + command);
  }
}

Player* SimControl::FindPlayer(const std::string& who) {
  if (who.size() > 1 && who[0] == '#') return roster_.FindById(atoi(who.c_str() + 1));
  return roster_.FindByName(who);
}

void SimControl::Chat(const std::string& argument, bool team, std::vector<std::string>* out) {
  std::string who, message;
  SplitWho(argument, &who, &message);
  Player* p = FindPlayer(who);
  if (p == nullptr) return out->push_back("No such player: " + who);
  message = message.substr(0, kMaxChatText);
  char channel = team ? static_cast<char>('0' + p->team) : '0';
  events_.ChatLine(channel, std::string(team ? "TEAM " : "ALL ") + p->name + ": " + message);
}

void SimControl::Hold(bool ping, const std::string& argument, std::vector<std::string>* out) {
  std::string who, rest;
  SplitWho(argument, &who, &rest);
  Player* p = FindPlayer(who);
  if (p == nullptr) return out->push_back("No such player: " + who);
  bool& held = ping ? p->ping_held : p->score_held;
  if (rest == "off") {
    held = false;
    return out->push_back(std::string(ping ? "Ping" : "Score") + " of " + p->name + " released");
  }
  int value = 0;
  if (sscanf(rest.c_str(), "%d", &value) != 1) {
    return out->push_back(ping ? "Usage: hold-ping <who> <ms>|off"
                               : "Usage: hold-score <who> <score>|off");
  }
  held = true;
  if (ping) {
    p->ping = std::max(0, std::min(value, 9999));
  } else {
    p->score = value;
  }
  out->push_back(std::string(ping ? "Ping" : "Score") + " of " + p->name + " held at " +
                 std::to_string(ping ? p->ping : p->score));
}

void SimControl::Join(const std::string& line, std::vector<std::string>* out) {
  Player p;
  std::string error;
  if (!ParsePlayerDescription(line, &p, &error)) return out->push_back("Bad player: " + error);
  std::string name = p.name;
  switch (roster_.Join(p, info_.max_players, info_.punkbuster)) {
    case JoinResult::kJoined:
      events_.ConsoleLine(name + " joined the game");
      out->push_back("Joined: " + name);
      break;
    case JoinResult::kBanned:
      events_.ConsoleLine(name + " was refused: banned");
      out->push_back("Refused (banned): " + name);
      break;
    default:
      out->push_back("Refused (server full): " + name);
      break;
  }
}

void SimControl::Leave(const std::string& who, std::vector<std::string>* out) {
  std::string name, rest;
  SplitWho(who, &name, &rest);
  Player* p = FindPlayer(name);
  if (p == nullptr) return out->push_back("No such player: " + name);
  std::string left;
  roster_.Remove(p->id, &left);
  events_.ConsoleLine(left + " left the game");
}

}  // namespace varnholt::sim
