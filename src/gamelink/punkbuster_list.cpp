#include "gamelink/punkbuster_list.h"

#include "gamelink/player_list_parse.h"
#include "platform/ascii_text.h"

namespace varnholt {
namespace {

constexpr std::string_view kLinePrefix = "PunkBuster Server: ";
constexpr size_t kMaxSlotDigits = 5;

// The next word up to a blank; false when there is none.
bool TakeWord(std::string_view* rest, std::string_view* word) {
  const size_t blank = rest->find(' ');
  if (blank == 0 || blank == std::string_view::npos) return false;
  *word = rest->substr(0, blank);
  rest->remove_prefix(blank + 1);
  return true;
}

}  // namespace

bool ParsePunkBusterPlayerLine(std::string_view line, PunkBusterPlayer* player) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.substr(0, kLinePrefix.size()) != kLinePrefix) return false;
  std::string_view rest = line.substr(kLinePrefix.size());
  std::string_view slot_text;
  std::string_view guid;
  std::string_view address;
  if (!TakeWord(&rest, &slot_text) || !TakeWord(&rest, &guid) || !TakeWord(&rest, &address)) {
    return false;
  }
  if (slot_text.size() > kMaxSlotDigits) return false;
  int slot = 0;
  for (char c : slot_text) {
    if (c < '0' || c > '9') return false;
    slot = slot * 10 + (c - '0');
  }
  if (slot < 1 || slot - 1 > kMaxPlayerId) return false;
  if (!IsHexText(guid, kGuidLength)) return false;
  if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') return false;
  player->id = slot - 1;
  player->guid.assign(guid);
  player->name.assign(rest.substr(1, rest.size() - 2).substr(0, kPlayerNameParsedMax));
  return true;
}

std::vector<PunkBusterPlayer> ParsePunkBusterList(std::string_view response) {
  std::vector<PunkBusterPlayer> players;
  size_t start = 0;
  while (start < response.size()) {
    size_t end = response.find('\n', start);
    if (end == std::string_view::npos) end = response.size();
    PunkBusterPlayer player;
    if (ParsePunkBusterPlayerLine(response.substr(start, end - start), &player)) {
      players.push_back(std::move(player));
    }
    start = end + 1;
  }
  return players;
}

}  // namespace varnholt
