#include "gamelink/player_list_parse.h"

#include <algorithm>
#include <charconv>

namespace varnholt {
namespace {

constexpr std::string_view kRemoteMarker = "is remote";
constexpr std::string_view kBotMarker = "is an AI bot";
constexpr std::string_view kAddressMarker = "ip:";
constexpr std::string_view kHashMarker = "hash:";
// "is remote " is followed by "ip: " and the address.
constexpr size_t kAddressMarkerOffset = 10;
constexpr size_t kAddressOffset = 4;
// " - " between the id and the name.
constexpr size_t kNameOffset = 3;
constexpr size_t kMaxIdDigits = 5;
constexpr size_t kMaxQueryValue = 1023;

bool ParseId(std::string_view text, int* id) {
  if (text.empty() || text.size() > kMaxIdDigits) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxPlayerId) return false;
  *id = value;
  return true;
}

// A remote player's line; false when it is not one.
bool ParseRemoteLine(std::string_view line, ParsedPlayerLine* out) {
  // The last marker is the server's own: a name may contain the words, the address and the
  // hexadecimal keyhash after the real marker cannot.
  const size_t remote = line.rfind(kRemoteMarker);
  if (remote == std::string_view::npos) return false;
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon >= remote) return false;
  const size_t space = line.find(' ', colon + 1);
  if (space == std::string_view::npos || space >= remote) return false;
  int id = -1;
  if (!ParseId(line.substr(colon + 1, space - colon - 1), &id)) return false;

  // The name ends just before the blank in front of the marker.
  const size_t name_start = space + kNameOffset;
  if (remote == 0 || name_start > remote - 1) return false;
  std::string_view name = line.substr(name_start, remote - 1 - name_start);

  const size_t ip = remote + kAddressMarkerOffset;
  if (ip > line.size() || line.substr(ip, kAddressMarker.size()) != kAddressMarker) {
    return false;
  }
  const size_t address_start = ip + kAddressOffset;
  if (address_start > line.size()) return false;
  const size_t address_end = line.find(':', address_start);
  if (address_end == std::string_view::npos) return false;

  out->id = id;
  out->name.assign(name.substr(0, kPlayerNameParsedMax));
  out->address.assign(
      line.substr(address_start, address_end - address_start).substr(0, kPlayerAddressMax));
  const size_t hash = line.find(kHashMarker, address_end);
  if (hash == std::string_view::npos) {
    out->keyhash = kUnknownText;
  } else {
    out->keyhash.assign(line.substr(hash + kHashMarker.size()).substr(0, kPlayerKeyhashMax));
  }
  return true;
}

}  // namespace

PlayerLineKind ParsePlayerLine(std::string_view line, ParsedPlayerLine* out) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (ParseRemoteLine(line, out)) return PlayerLineKind::kPlayer;
  // A bot whose name holds the remote marker is still a bot, not a broken list.
  return line.find(kBotMarker) != std::string_view::npos ? PlayerLineKind::kBot
                                                         : PlayerLineKind::kParseError;
}

int32_t DecimalValue(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

StatusIndex::StatusIndex(std::string_view reply) {
  values_.reserve(static_cast<size_t>(std::count(reply.begin(), reply.end(), '\\')) / 2 + 1);
  // Every backslash may open a key: GetQueryValue finds \key\ wherever it occurs, values
  // included, so the index keeps the first such place of each key.
  size_t at = reply.find('\\');
  while (at != std::string_view::npos) {
    const size_t key_end = reply.find('\\', at + 1);
    if (key_end == std::string_view::npos) break;
    const std::string_view key = reply.substr(at + 1, key_end - at - 1);
    const size_t value_end = reply.find('\\', key_end + 1);
    std::string_view value = value_end == std::string_view::npos
                                 ? reply.substr(key_end + 1)
                                 : reply.substr(key_end + 1, value_end - key_end - 1);
    values_.try_emplace(key, value.substr(0, kMaxQueryValue));
    at = key_end;
  }
}

const std::string_view* StatusIndex::Find(std::string_view key) const {
  auto it = values_.find(key);
  return it == values_.end() ? nullptr : &it->second;
}

const std::string_view* StatusIndex::FindIndexed(std::string_view prefix, int index) const {
  char key[64];
  if (prefix.size() > 40) return nullptr;
  prefix.copy(key, prefix.size());
  auto [end, error] = std::to_chars(key + prefix.size(), key + sizeof key, index);
  if (error != std::errc()) return nullptr;
  return Find(std::string_view(key, static_cast<size_t>(end - key)));
}

}  // namespace varnholt
