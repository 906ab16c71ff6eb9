#include "ban_files.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace varnholt::sim {
namespace {

bool IsHex32(const std::string& word) {
  return word.size() == 32 &&
         std::all_of(word.begin(), word.end(), [](char c) { return isxdigit(c & 0xFF) != 0; });
}

}  // namespace

std::string BanListText(const Roster& roster) {
  std::string text;
  for (const std::string& a : roster.banned_addresses()) {
    text += "admin.addAddressToBanList " + a + ":0 Perm\n";
  }
  for (const std::string& k : roster.banned_keys()) {
    text += "admin.addKeyToBanList " + k + " Perm\n";
  }
  return text;
}

std::string GuidBanText(const Roster& roster, long long now) {
  time_t t = static_cast<time_t>(now);
  struct tm local {};
  localtime_r(&t, &local);
  std::string text;
  for (const std::string& guid : roster.banned_guids()) {
    char line[160];
    snprintf(line, sizeof line, "[%02i.%02i.%4i %02i.%02i.%02i] %s \"\" \"\" \r\n\r\n",
             local.tm_mon + 1, local.tm_mday, local.tm_year + 1900, local.tm_hour, local.tm_min,
             local.tm_sec, guid.c_str());
    text += line;
  }
  return text;
}

void ReadGuidBanText(const std::string& text, Roster* roster) {
  size_t line_start = 0;
  while (line_start < text.size()) {
    size_t line_end = text.find('\n', line_start);
    if (line_end == std::string::npos) line_end = text.size();
    std::string line = text.substr(line_start, line_end - line_start);
    line_start = line_end + 1;
    std::replace(line.begin(), line.end(), '\r', ' ');
    if (line.empty() || line[0] == ';') continue;
    size_t start = 0;
    while (start < line.size()) {
      size_t end = line.find(' ', start);
      if (end == std::string::npos) end = line.size();
      std::string word = line.substr(start, end - start);
      if (IsHex32(word)) {
        roster->BanGuid(word);
        break;
      }
      start = end + 1;
    }
  }
}

}  // namespace varnholt::sim
