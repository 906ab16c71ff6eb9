// The status query port: the request datagram (0xFE 0xFD 0x00, a 4-byte identifier and
// three section flags) and the reply datagram (type byte, echoed identifier, then the
// rules, players and teams sections that were asked for). Pure functions over bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "live_settings.h"
#include "match.h"
#include "roster.h"
#include "server_config.h"

namespace varnholt::sim {

constexpr size_t kMaxStatusReply = 32768;

struct StatusRequest {
  uint8_t id[4] = {0, 0, 0, 0};
  bool rules = false;
  bool players = false;
  bool teams = false;
};

// False for datagrams that are not a status request; they get no answer.
bool ParseStatusRequest(std::string_view datagram, StatusRequest* request);

struct StatusSnapshot {
  std::vector<std::pair<std::string, std::string>> rules;
  std::vector<std::string> player_fields;  // names end in "_"
  std::vector<std::vector<std::string>> player_rows;
  std::vector<std::string> team_fields;
  std::vector<std::vector<std::string>> team_rows;
};

// The game's state as the status query reports it. Backslashes in texts are replaced by
// "/" unless `raw_backslashes`, because the reply is read as backslash-delimited text.
StatusSnapshot MakeStatusSnapshot(const ServerInfo& info, const LiveSettings& settings,
                                  const Roster& roster, const Match& match, bool raw_backslashes);

// Layout: byte 0 type 0x00; bytes 1-4 the request identifier; then, when asked for,
//   rules:   key 0 value 0 ... then one 0 (the empty key that ends them);
//   players: two pad bytes 0 after the end of the rules (or of the header), the player
//            count byte, the field names each ended by 0, an empty name (0), then per
//            player one value per field, each ended by 0;
//   teams:   one pad byte 0 after the last player value, the team count byte, field names,
//            an empty name, then the rows.
std::string BuildStatusReply(const StatusRequest& request, const StatusSnapshot& snapshot);

}  // namespace varnholt::sim
