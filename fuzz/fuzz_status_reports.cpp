// Feeds arbitrary status reply texts to what is built from them: the statistics lines of a
// game and the status summary with its page split. The first two bytes give the player
// count and the stamp; the rest is the reply. Every statistics line must read back as nine
// CSV fields, and the summary must stay bounded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gamelink/player_list.h"
#include "gamelink/player_stats.h"
#include "gamelink/status_summary.h"

namespace {

// Splits one CSV record the way spreadsheet readers do; false when a quote is left open.
bool CountFields(const std::string& line, size_t* fields) {
  *fields = 1;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        ++i;
      } else if (c == '"') {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      ++*fields;
    }
  }
  return !quoted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int numplayers = data[0] % (varnholt::kMaxStatusPlayers + 1);
  const int64_t now = static_cast<int64_t>(data[1]) * 86400 * 365 - 86400 * 365 * 10;
  const std::string reply(reinterpret_cast<const char*>(data + 2), size - 2);

  varnholt::PlayerRecord row;
  row.name = "Anna";
  row.address = "10.0.0.1";
  row.keyhash = "0123456789abcdef0123456789abcdef";
  const std::vector<varnholt::PlayerRecord> rows = {row};
  std::string lines;
  std::string missing;
  if (varnholt::FormatPlayerStats(reply, numplayers, rows, now, &lines, &missing)) {
    size_t start = 0;
    size_t count = 0;
    while (start < lines.size()) {
      const size_t end = lines.find("\r\n", start);
      if (end == std::string::npos) __builtin_trap();  // every line ends in CR LF
      const std::string line = lines.substr(start, end - start);
      size_t fields = 0;
      if (line.find_first_of("\r\n") != std::string::npos || !CountFields(line, &fields) ||
          fields != 9) {
        __builtin_trap();
      }
      ++count;
      start = end + 2;
    }
    if (count != static_cast<size_t>(numplayers) + 1) __builtin_trap();
  } else if (!lines.empty()) {
    __builtin_trap();
  }

  varnholt::ServerStatusFacts facts;
  facts.server_name = reply.substr(0, 40);
  facts.current_map = reply.substr(0, 10);
  varnholt::ServerStatusLink link;
  link.connected = (data[1] & 1) != 0;
  link.reply = &reply;
  const std::string text = varnholt::FormatServerStatus(facts, link);
  if (text.size() > varnholt::kStatusFieldCount * (varnholt::kMaxStatusFieldLength + 2)) {
    __builtin_trap();
  }
  varnholt::StatusPageLines page;
  (void)varnholt::SplitServerStatus(text, &page);
  return 0;
}
