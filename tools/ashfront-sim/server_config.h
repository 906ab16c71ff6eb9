// What the server learns from its settings folder: the .con line reader and the values of
// ServerSettings.con. The other files (ServerAutoexec.con, MapList.con, BanList.con) are
// console commands and run through the console command interpreter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "live_settings.h"

namespace varnholt::sim {

struct ServerInfo {
  std::string name = "AFSERVER";
  std::string password;
  uint32_t ip = 0;
  int game_port = 15567;
  int gamespy_port = 23000;
  int gamespy_lan_port = 22000;
  bool internet = true;
  int max_players = 32;
  bool punkbuster = false;
  int content_check = 0;
  bool console_enabled = false;
  std::string console_user;
  std::string console_password;
  int console_port = 0;
  bool remote_admin = false;
};

// Reads a text file as lines of at most 1023 characters, carriage returns and line feeds
// removed. False when the file cannot be read.
bool ReadConLines(const std::string& path, std::vector<std::string>* lines);

// Splits "key rest of line" at the first blank (leading blanks skipped).
void SplitConLine(std::string_view line, std::string* key, std::string* value);
// The value without its enclosing double quotes ("\"AF server\"" -> "AF server").
std::string Unquote(std::string_view value);

// Applies the lines of ServerSettings.con; values the server cannot use are reported in
// `warnings` and leave the default.
void ApplyServerSettings(const std::vector<std::string>& lines, ServerInfo* info,
                         LiveSettings* settings, std::vector<std::string>* warnings);

// The status query port the server answers on: the Internet or the LAN port.
inline int StatusQueryPort(const ServerInfo& info) {
  return info.internet ? info.gamespy_port : info.gamespy_lan_port;
}

}  // namespace varnholt::sim
