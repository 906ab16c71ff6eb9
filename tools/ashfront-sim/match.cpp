#include "match.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace varnholt::sim {
namespace {

struct ModeName {
  const char* id;
  const char* game_type;
};
constexpr ModeName kModes[] = {{"GPM_CQ", "conquest"},
                               {"GPM_COOP", "coop"},
                               {"GPM_EVOL", "evolution"},
                               {"GPM_CCOMBAT", "customcombat"}};

const char* const kPhrases[] = {"gg",
                                "need a medic at the bridge",
                                "who has the flag?",
                                "nice shot",
                                "lag...",
                                "pilot wanted",
                                "hold the north point",
                                "lol"};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(tolower(c & 0xFF));
  return out;
}

}  // namespace

bool ParseLevel(std::string_view text, Level* level) {
  std::istringstream in{std::string(text)};
  Level l;
  if (!(in >> l.map >> l.mode >> l.mod)) return false;
  if (GameTypeOfMode(l.mode)[0] == '\0') return false;
  for (const ModeName& m : kModes) {
    if (strcasecmp(m.id, l.mode.c_str()) == 0) l.mode = m.id;
  }
  l.map = Lower(l.map);
  l.mod = Lower(l.mod);
  *level = l;
  return true;
}

const char* GameTypeOfMode(std::string_view mode) {
  for (const ModeName& m : kModes) {
    if (mode.size() == strlen(m.id) && strncasecmp(m.id, mode.data(), mode.size()) == 0) {
      return m.game_type;
    }
  }
  return "";
}

Match::Match(const MatchOptions& options, LiveSettings& settings, Roster& roster,
             GameEvents& events)
    : options_(options), settings_(settings), roster_(roster), events_(events) {}

bool Match::AddLevel(const Level& level) {
  if (rotation_.size() >= 512) return false;
  rotation_.push_back(level);
  return true;
}

void Match::SetStartLevel(const Level& level) {
  current_ = level;
  for (size_t i = 0; i < rotation_.size(); ++i) {
    if (rotation_[i].Text() == level.Text()) current_index_ = i;
  }
}

void Match::Begin() {
  if (current_.map.empty()) {
    current_ = rotation_.empty() ? Level{"harbor", "GPM_CQ", "ashfront"} : rotation_.front();
    current_index_ = 0;
  }
  round_number_ = 0;
  StartRound(current_, "Starting");
}

void Match::StartRound(const Level& level, const char* why) {
  current_ = level;
  for (size_t i = 0; i < rotation_.size(); ++i) {
    if (rotation_[i].Text() == level.Text()) {
      current_index_ = i;
      break;
    }
  }
  mode_ = GameMode::kPlaying;
  round_elapsed_ = 0;
  end_elapsed_ = 0;
  ++round_number_;
  double ratio = settings_.Number("admin.setTicketRatio", 1.0);
  int tickets = std::max(1, static_cast<int>(std::lround(options_.base_tickets * ratio)));
  tickets_[0] = tickets_[1] = tickets;
  for (Player& p : roster_.players()) {
    if (!p.score_held) p.score = 0;
    p.kills = p.deaths = 0;
  }
  events_.ConsoleLine(std::string(why) + " level " + level.Text() + ", round " +
                      std::to_string(round_number_));
}

const Level& Match::NextInRotation() const {
  if (!next_override_.map.empty()) return next_override_;
  if (rotation_.empty()) return current_;
  return rotation_[(current_index_ + 1) % rotation_.size()];
}

void Match::ChangeMap(const Level& level) {
  rounds_on_level_ = 0;
  StartRound(level, "Changing to");
}

void Match::RunNextLevel() {
  Level next = NextInRotation();
  next_override_ = Level{};
  rounds_on_level_ = 0;
  StartRound(next, "Changing to");
}

void Match::SetNextLevel(const Level& level) {
  next_override_ = level;
  events_.ConsoleLine("Next level set to " + level.Text());
}

void Match::RestartMap() {
  StartRound(current_, "Restarting");
}

void Match::TogglePause() {
  if (mode_ == GameMode::kPaused) {
    mode_ = GameMode::kPlaying;
    events_.ConsoleLine("Game unpaused");
  } else if (mode_ == GameMode::kPlaying) {
    mode_ = GameMode::kPaused;
    events_.ConsoleLine("Game paused");
  }
}

void Match::EndRound() {
  if (mode_ == GameMode::kEnded) return;
  mode_ = GameMode::kEnded;
  end_elapsed_ = 0;
  char line[160];
  snprintf(line, sizeof line, "Round %d over: Vyr %d, Dak %d", round_number_, team_score(1),
           team_score(2));
  events_.ConsoleLine(line);
}

const char* Match::ModeText() const {
  switch (mode_) {
    case GameMode::kPaused:
      return "pause";
    case GameMode::kEnded:
      return "end";
    case GameMode::kPlaying:
      break;
  }
  return "playing";
}

int Match::RoundLength() const {
  int limit = static_cast<int>(settings_.Number("admin.timeLimit", 0));
  return limit > 0 ? limit : options_.round_seconds;
}

int Match::RoundTimeRemaining() const {
  int limit = static_cast<int>(settings_.Number("admin.timeLimit", 0));
  if (limit <= 0) return -1;
  return std::max(0, limit - static_cast<int>(round_elapsed_));
}

int Match::team_score(int team) const {
  int sum = 0;
  for (const Player& p : roster_.players()) {
    if (p.team == team) sum += p.score;
  }
  return sum;
}

void Match::Tick(double seconds) {
  if (seconds <= 0 || mode_ == GameMode::kPaused) return;
  if (mode_ == GameMode::kEnded) {
    end_elapsed_ += seconds;
    if (end_elapsed_ < settings_.Number("admin.timeBeforeRestartMap", 10)) return;
    int rounds = static_cast<int>(settings_.Number("admin.setNrOfRounds", 1));
    if (++rounds_on_level_ >= std::max(1, rounds)) {
      RunNextLevel();
    } else {
      StartRound(current_, "Restarting");
    }
    return;
  }
  round_elapsed_ += seconds;
  if (settings_.Number("admin.autoBalanceTeam", 0) != 0) BalanceTeams();
  if (options_.simulate) {
    SimulateFighting(seconds);
    SimulateChat(seconds);
  }
  int score_limit = static_cast<int>(settings_.Number("admin.scoreLimit", 0));
  bool score_reached =
      score_limit > 0 && (team_score(1) >= score_limit || team_score(2) >= score_limit);
  if (tickets_[0] <= 0 || tickets_[1] <= 0 || score_reached || round_elapsed_ >= RoundLength()) {
    EndRound();
  }
}

void Match::BalanceTeams() {
  int team1 = roster_.CountTeam(1);
  int team2 = roster_.CountTeam(2);
  if (std::abs(team1 - team2) < 2) return;
  int from = team1 > team2 ? 1 : 2;
  for (auto it = roster_.players().rbegin(); it != roster_.players().rend(); ++it) {
    if (it->team == from) {
      it->team = 3 - from;
      events_.ConsoleLine(it->name + " was moved to team " + std::to_string(it->team) +
                          " by auto-balance");
      return;
    }
  }
}

void Match::SimulateFighting(double seconds) {
  std::vector<Player>& players = roster_.players();
  auto& rng = roster_.rng();
  for (Player& p : players) {
    if (!p.bot && !p.ping_held)
      p.ping = std::clamp(p.ping + static_cast<int>(rng() % 11) - 5, 5, 999);
  }
  fight_credit_ += seconds * 0.05 * static_cast<double>(players.size());
  while (fight_credit_ >= 1.0 && players.size() >= 2) {
    fight_credit_ -= 1.0;
    Player& killer = players[rng() % players.size()];
    Player& victim = players[rng() % players.size()];
    if (&killer == &victim) continue;
    victim.deaths += 1;
    if (victim.team >= 1 && victim.team <= 2) tickets_[victim.team - 1] -= 1;
    const int points = killer.team == victim.team ? -4 : 2;  // a team kill costs
    if (killer.team != victim.team) killer.kills += 1;
    if (!killer.score_held) killer.score += points;
  }
  if (players.size() < 2) fight_credit_ = 0;
}

void Match::SimulateChat(double seconds) {
  if (options_.chat_every_seconds <= 0) return;
  chat_credit_ += seconds;
  if (chat_credit_ < options_.chat_every_seconds) return;
  chat_credit_ = 0;
  std::vector<const Player*> humans;
  for (const Player& p : roster_.players()) {
    if (!p.bot) humans.push_back(&p);
  }
  if (humans.empty()) return;
  auto& rng = roster_.rng();
  const Player* speaker = humans[rng() % humans.size()];
  events_.ChatLine('0', "ALL " + speaker->name + ": " +
                            kPhrases[rng() % (sizeof kPhrases / sizeof kPhrases[0])]);
}

}  // namespace varnholt::sim
