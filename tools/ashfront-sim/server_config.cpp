#include "server_config.h"

#include <strings.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/ip_address.h"

namespace varnholt::sim {
namespace {

constexpr size_t kMaxLine = 1023;

bool ParsePort(const std::string& value, int* port) {
  char* end = nullptr;
  long v = strtol(value.c_str(), &end, 10);
  if (end == value.c_str() || v < 0 || v > 65535) return false;
  *port = static_cast<int>(v);
  return true;
}

bool ParseFlag(const std::string& value, bool* flag) {
  if (value != "0" && value != "1") return false;
  *flag = value == "1";
  return true;
}

std::string FirstWord(const std::string& value) {
  size_t end = value.find(' ');
  return value.substr(0, end);
}

}  // namespace

bool ReadConLines(const std::string& path, std::vector<std::string>* lines) {
  lines->clear();
  std::string contents;
  if (!ReadWholeFile(path, &contents, 8u * 1024u * 1024u)) return false;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string::npos) end = contents.size();
    std::string line = contents.substr(start, std::min(end - start, kMaxLine));
    start = end + 1;
    std::erase(line, '\r');
    lines->push_back(std::move(line));
  }
  return true;
}

void SplitConLine(std::string_view line, std::string* key, std::string* value) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) {
    key->clear();
    value->clear();
    return;
  }
  line.remove_prefix(start);
  size_t blank = line.find_first_of(" \t");
  *key = std::string(line.substr(0, blank));
  if (blank == std::string_view::npos) {
    value->clear();
    return;
  }
  std::string_view rest = line.substr(blank + 1);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
  *value = std::string(rest);
}

std::string Unquote(std::string_view value) {
  size_t start = value.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  value.remove_prefix(start);
  if (!value.empty() && value.front() == '"') {
    value.remove_prefix(1);
    size_t close = value.find('"');
    return std::string(value.substr(0, close));
  }
  return std::string(value);
}

void ApplyServerSettings(const std::vector<std::string>& lines, ServerInfo* info,
                         LiveSettings* settings, std::vector<std::string>* warnings) {
  for (const std::string& line : lines) {
    std::string key, value;
    SplitConLine(line, &key, &value);
    if (key.empty() || key.rfind("//", 0) == 0) continue;
    const char* k = key.c_str();
    std::string word = FirstWord(value);
    bool ok = true;
    if (strcasecmp(k, "game.serverName") == 0) {
      info->name = Unquote(value).substr(0, 32);
      if (info->name.empty()) info->name = "AFSERVER";
    } else if (strcasecmp(k, "game.serverPassword") == 0) {
      info->password = Unquote(value).substr(0, 32);
    } else if (strcasecmp(k, "game.serverIP") == 0) {
      info->ip = IpFromText(word);
    } else if (strcasecmp(k, "game.serverPort") == 0) {
      ok = ParsePort(word, &info->game_port);
    } else if (strcasecmp(k, "game.gameSpyPort") == 0) {
      ok = ParsePort(word, &info->gamespy_port);
    } else if (strcasecmp(k, "game.gameSpyLANPort") == 0) {
      ok = ParsePort(word, &info->gamespy_lan_port);
    } else if (strcasecmp(k, "game.serverInternet") == 0) {
      ok = ParseFlag(word, &info->internet);
    } else if (strcasecmp(k, "game.serverPunkBuster") == 0) {
      ok = ParseFlag(word, &info->punkbuster);
    } else if (strcasecmp(k, "game.serverMaxPlayers") == 0) {
      int max = 0;
      ok = ParsePort(word, &max) && max >= 2 && max <= 64;
      if (ok) info->max_players = max;
    } else if (strcasecmp(k, "game.serverContentCheck") == 0) {
      int check = 0;
      ok = ParsePort(word, &check) && check <= 2;
      if (ok) info->content_check = check;
    } else {
      std::string console_key, console_value;
      if (FileSettingToConsole(key, value, &console_key, &console_value)) {
        ok = settings->Set(console_key, console_value);
      }
    }
    if (!ok) warnings->push_back("Ignoring invalid value for " + key + ": " + value);
  }
}

}  // namespace varnholt::sim
