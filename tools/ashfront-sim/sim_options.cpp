#include "sim_options.h"

#include <cstdlib>
#include <string_view>

#include "platform/files.h"

namespace varnholt::sim {
namespace {

bool ParseInt(const std::string& text, long low, long high, int* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *value = static_cast<int>(v);
  return true;
}

bool IsKnownFault(const std::string& kind) {
  for (const char* k : {"crash", "hang", "freeze", "popup", "slow", "refuse-login", "stale-reply",
                        "oversized-reply", "fail-command", "quit"}) {
    if (kind == k) return true;
  }
  return false;
}

}  // namespace

bool ParseFaultPlan(const std::string& text, FaultPlan* plan, std::string* error) {
  FaultPlan p;
  std::string body = text;
  size_t at = body.find('@');
  if (at != std::string::npos) {
    char* end = nullptr;
    std::string when = body.substr(at + 1);
    p.after_seconds = strtod(when.c_str(), &end);
    if (when.empty() || *end != '\0' || p.after_seconds < 0 || p.after_seconds > 1e7) {
      *error = "bad fault time in " + text;
      return false;
    }
    body.resize(at);
  }
  size_t colon = body.find(':');
  p.kind = body.substr(0, colon);
  if (colon != std::string::npos) p.argument = body.substr(colon + 1);
  if (!IsKnownFault(p.kind)) {
    *error = "unknown fault " + p.kind;
    return false;
  }
  *plan = p;
  return true;
}

bool ParseSimOption(const std::string& option, SimOptions* o, std::string* error) {
  if (option.rfind("--", 0) != 0) {
    *error = "not an option: " + option;
    return false;
  }
  size_t eq = option.find('=');
  std::string name = option.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
  std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
  bool ok = true;
  if (name == "help") {
    o->help = true;
  } else if (name == "write-pid") {
    o->write_pid = true;
  } else if (name == "static") {
    o->simulate = false;
  } else if (name == "raw-backslashes") {
    o->raw_backslashes = true;
  } else if (name == "seed") {
    int seed = 0;
    ok = ParseInt(value, 0, 0x7FFFFFFF, &seed);
    o->seed = static_cast<uint32_t>(seed);
  } else if (name == "players") {
    ok = ParseInt(value, 0, 64, &o->generated_players);
  } else if (name == "bots") {
    ok = ParseInt(value, 0, 64, &o->generated_bots);
  } else if (name == "player") {
    ok = !value.empty();
    o->player_lines.push_back(value);
  } else if (name == "players-file") {
    ok = !value.empty();
    o->players_file = value;
  } else if (name == "chat-every") {
    ok = ParseInt(value, 0, 86400, &o->chat_every_seconds);
  } else if (name == "round-seconds") {
    ok = ParseInt(value, 1, 86400, &o->round_seconds);
  } else if (name == "tick-ms") {
    ok = ParseInt(value, 10, 60000, &o->tick_ms);
  } else if (name == "rejoin-seconds") {
    ok = ParseInt(value, 0, 86400, &o->rejoin_seconds);
  } else if (name == "console-port") {
    ok = ParseInt(value, 0, 65535, &o->console_port);
  } else if (name == "query-port") {
    ok = ParseInt(value, 0, 65535, &o->query_port);
  } else if (name == "control-file") {
    ok = !value.empty();
    o->control_file = value;
  } else if (name == "fault") {
    FaultPlan plan;
    if (!ParseFaultPlan(value, &plan, error)) return false;
    o->faults.push_back(plan);
  } else if (name == "fault-after") {
    // SECONDS:KIND[:ARG], the same as --fault=KIND[:ARG]@SECONDS.
    size_t colon = value.find(':');
    FaultPlan plan;
    if (colon == std::string::npos ||
        !ParseFaultPlan(value.substr(colon + 1) + "@" + value.substr(0, colon), &plan, error)) {
      if (error->empty()) *error = "expected --fault-after=SECONDS:KIND";
      return false;
    }
    o->faults.push_back(plan);
  } else {
    *error = "unknown option " + option;
    return false;
  }
  if (!ok) *error = "bad value in " + option;
  return ok;
}

bool ParseSimArguments(int argc, const char* const* argv, const std::string& options_file,
                       SimOptions* options, std::string* error) {
  std::string contents;
  if (!options_file.empty() && FileExists(options_file) &&
      ReadWholeFile(options_file, &contents, 256 * 1024)) {
    size_t start = 0;
    while (start < contents.size()) {
      size_t end = contents.find('\n', start);
      if (end == std::string::npos) end = contents.size();
      std::string line = contents.substr(start, end - start);
      start = end + 1;
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      size_t first = line.find_first_not_of(" \t");
      if (first == std::string::npos || line[first] == '#') continue;
      if (!ParseSimOption(line.substr(first), options, error)) {
        *error = options_file + ": " + *error;
        return false;
      }
    }
  }
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!arg.empty() && arg[0] == '+') {
      // The game's own switches come in pairs: +name value.
      std::string value = i + 1 < argc ? argv[i + 1] : "";
      if (i + 1 < argc) ++i;
      if (arg == "+hostServer" && !ParseInt(value, 0, 1, &options->host_server)) {
        *error = "+hostServer takes 0 or 1";
        return false;
      }
      continue;
    }
    if (!ParseSimOption(arg, options, error)) return false;
  }
  return true;
}

const char* SimUsage() {
  return "usage: ashfront_w32ded.exe [+restart 1 +dedicated 1 +hostServer 0|1] [options]\n"
         "Runs in the game folder (the working folder) and reads its settings from\n"
         "Mods/ashfront/Settings. Options (also one per line in ashfront-sim.options):\n"
         "  --write-pid              write ashfront.pid in the game folder\n"
         "  --players=N --bots=N     generated players and AI bots\n"
         "  --player=PLAYER          name|team|ping|address|keyhash|guid|bot (repeatable)\n"
         "  --players-file=PATH      one PLAYER per line\n"
         "  --static                 no simulated fighting, ping changes or chat\n"
         "  --seed=N --chat-every=S --round-seconds=S --tick-ms=MS --rejoin-seconds=S\n"
         "  --console-port=P --query-port=P   override the configured ports (0 = any)\n"
         "  --raw-backslashes        send backslashes in status values unchanged\n"
         "  --control-file=NAME      control file in the game folder\n"
         "  --fault=KIND[:ARG][@SECONDS]  crash, hang[:S], freeze, popup, slow:MS,\n"
         "                           refuse-login, fail-command:NAME, quit\n"
         "                           (also --fault-after=SECONDS:KIND)\n";
}

}  // namespace varnholt::sim
