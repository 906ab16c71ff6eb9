#include "core/command_line.h"

#include <cstdlib>

#include "platform/ascii_text.h"

namespace varnholt {

const char* const kUsageText =
    "Usage: Varnholt.exe -ip <ip> -port <port> -start -stop -abovenormal\n\nwhere  \t-ip\t\tsets "
    "the IP address of the AF server and Varnholt listen server\t\n       \t-port\t\tsets the TCP "
    "port address of the Varnholt listen server\n       \t-start\t\tstarts the server when "
    "Varnholt starts\n       \t-stop\t\tstops the server and exits Varnholt\n       "
    "\t-abovenormal\truns server process at ABOVENORMAL priority\n       \t-exit\t\tstops the "
    "server when Varnholt exits\n       \t-quiet\t\tprevents Varnholt displaying popup error "
    "messages\n       \t-adminlog\t\tlogs all administrator kicks/bans to AdminLog.csv\n";

namespace {

bool Is(const std::string& word, const char* option) {
  return EqualsNoCase(word, option);
}

// A port typed on the command line; anything that is not 1-65535 keeps the default.
bool ParsePort(const std::string& text, uint16_t* port) {
  char* end = nullptr;
  long value = strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < 1 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& words, int os_version_code) {
  CommandLine cl;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (Is(w, "-?") || Is(w, "/?")) {
      cl.show_usage = true;
    } else if (Is(w, "-stop")) {
      cl.stop = true;
    } else if (Is(w, "-start")) {
      cl.start = true;
    } else if (Is(w, "-ip") || Is(w, "-port")) {
      // The next word is consumed either way; it is a value only if it is not an option.
      if (i + 1 >= words.size()) break;
      const std::string& value = words[++i];
      if (value.empty() || value[0] == '-') continue;
      if (Is(w, "-ip")) {
        cl.ip_given = true;
        cl.ip = value;
      } else {
        ParsePort(value, &cl.port);
      }
    } else if (Is(w, "-debug")) {
      cl.debug = true;
    } else if (Is(w, "-timing")) {
      cl.timing = true;
    } else if (Is(w, "-adminlog")) {
      cl.admin_log = true;
    } else if (Is(w, "-statuslog")) {
      cl.status_log = true;
    } else if (Is(w, "-messagelog")) {
      cl.message_log = true;
    } else if (Is(w, "-abovenormal")) {
      if (os_version_code > 4) {
        cl.above_normal = true;
      } else {
        cl.above_normal_refused = true;
      }
    } else if (Is(w, "-exit")) {
      cl.exit_stops_server = true;
    } else if (Is(w, "-quiet")) {
      cl.quiet = true;
    }
  }
  return cl;
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> words;
  size_t i = 0;
  bool first = true;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size()) break;
    std::string word;
    if (text[i] == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string::npos) close = text.size();
      word = text.substr(i + 1, close - i - 1);
      i = close + 1;
    } else {
      size_t end = text.find(' ', i);
      if (end == std::string::npos) end = text.size();
      word = text.substr(i, end - i);
      i = end;
    }
    if (first) {
      first = false;
      continue;
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace varnholt
