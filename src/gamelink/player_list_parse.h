// Reading the two halves of the player list: one line of the console's game.listPlayers
// answer, and an index over a status reply that finds values exactly as GetQueryValue does
// (first occurrence of \key\) without searching the whole reply once per key.
// Pure functions over text; no state, no threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace varnholt {

// Limits of the fields as they are kept in a row.
constexpr size_t kPlayerNameMax = 31;
constexpr size_t kPlayerAddressMax = 15;
constexpr size_t kPlayerKeyhashMax = 32;
constexpr size_t kPlayerGuidMax = 32;
constexpr size_t kPlayerFigureMax = 31;  // team, score, kills, deaths, ping
// A console name is compared with the status reply before it is cut to kPlayerNameMax;
// longer text than this is no name the game sends.
constexpr size_t kPlayerNameParsedMax = 255;
// Console ids the rows are keyed by.
constexpr int kMaxPlayerId = 99999;
constexpr const char* kUnknownText = "[unknown]";

enum class PlayerLineKind { kPlayer, kBot, kParseError };

struct ParsedPlayerLine {
  int id = -1;
  std::string name;  // as sent, at most kPlayerNameParsedMax characters
  std::string address;
  std::string keyhash;
};

// Reads one line of game.listPlayers ("Id:3 - NAME is remote ip: A.B.C.D:PORT hash:KEY").
// A line that names a remote player is read even when the name itself contains "is an AI
// bot" or "is remote"; a bot line is skipped; anything else is a parse error.
PlayerLineKind ParsePlayerLine(std::string_view line, ParsedPlayerLine* out);

// The decimal value at the start of `text` (optional blanks and sign, then digits), clamped
// to the int32 range; 0 when there is no number. Never reads past the text.
int32_t DecimalValue(std::string_view text);

// Every \key\value pair of a status reply, found as GetQueryValue finds them: the first
// occurrence of \key\ wins and the value runs to the next backslash or the end (at most 1023
// characters). The index refers into `reply`, which must outlive it.
class StatusIndex {
 public:
  explicit StatusIndex(std::string_view reply);
  // nullptr when the key is absent.
  const std::string_view* Find(std::string_view key) const;
  // The same for keys such as player_3: `prefix` followed by `index` in decimal.
  const std::string_view* FindIndexed(std::string_view prefix, int index) const;

 private:
  std::unordered_map<std::string_view, std::string_view> values_;
};

}  // namespace varnholt
