// The game being played: the map rotation, the current and next level, the round clock,
// tickets, pause and end of round, and the simulated fighting and chat that move scores.
// Owned by the simulated server's single thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "live_settings.h"
#include "roster.h"

namespace varnholt::sim {

// Where the game reports what happens: console output lines and chat lines.
class GameEvents {
 public:
  virtual ~GameEvents() = default;
  virtual void ConsoleLine(const std::string& text) = 0;
  // `channel` is the chat marker's channel character, `text` the chat text after it.
  virtual void ChatLine(char channel, const std::string& text) = 0;
};

struct Level {
  std::string map;
  std::string mode;  // GPM_CQ, GPM_COOP, GPM_EVOL, GPM_CCOMBAT
  std::string mod;
  std::string Text() const { return map + " " + mode + " " + mod; }
};

// "map mode mod" with a known mode id; false otherwise.
bool ParseLevel(std::string_view text, Level* level);
// "conquest", "coop", "evolution", "customcombat" for the mode ids.
const char* GameTypeOfMode(std::string_view mode);

enum class GameMode { kPlaying, kPaused, kEnded };

struct MatchOptions {
  int round_seconds = 900;      // round length when admin.timeLimit is 0 (then unlimited
                                // for the status, ended by tickets or by this safety clock)
  int base_tickets = 300;       // tickets per team at ticket ratio 1.0
  bool simulate = true;         // fighting, pings and chat happen by themselves
  int chat_every_seconds = 25;  // mean interval of simulated chat; 0 = none
};

class Match {
 public:
  Match(const MatchOptions& options, LiveSettings& settings, Roster& roster, GameEvents& events);

  bool AddLevel(const Level& level);
  void SetStartLevel(const Level& level);
  void SetIdleLevel(const Level& level) { idle_level_ = level; }
  void ChangeMap(const Level& level);
  void RunNextLevel();
  void SetNextLevel(const Level& level);
  void RestartMap();
  void TogglePause();
  void EndRound();
  // Starts the first round; called once after the settings files were read.
  void Begin();

  // Advances the game by `seconds` of real time.
  void Tick(double seconds);

  GameMode mode() const { return mode_; }
  const char* ModeText() const;
  const Level& current() const { return current_; }
  const std::vector<Level>& rotation() const { return rotation_; }
  // Seconds left in the round, or -1 when the round has no time limit.
  int RoundTimeRemaining() const;
  int tickets(int team_index) const { return tickets_[team_index & 1]; }
  int round_number() const { return round_number_; }
  int team_score(int team) const;

 private:
  void StartRound(const Level& level, const char* why);
  const Level& NextInRotation() const;
  int RoundLength() const;
  void SimulateFighting(double seconds);
  void SimulateChat(double seconds);
  void BalanceTeams();

  MatchOptions options_;
  LiveSettings& settings_;
  Roster& roster_;
  GameEvents& events_;
  std::vector<Level> rotation_;
  Level current_;
  Level idle_level_;
  Level next_override_;
  size_t current_index_ = 0;
  GameMode mode_ = GameMode::kPlaying;
  double round_elapsed_ = 0;
  double end_elapsed_ = 0;
  int rounds_on_level_ = 0;
  int round_number_ = 1;
  int tickets_[2] = {300, 300};
  double fight_credit_ = 0;
  double chat_credit_ = 0;
};

}  // namespace varnholt::sim
