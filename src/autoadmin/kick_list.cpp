#include "autoadmin/kick_list.h"

#include "log/error_text.h"
#include "platform/ascii_text.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

bool UsableKey(std::string_view key) {
  if (key.empty() || EqualsNoCase(key, "[unknown]")) return false;
  for (char c : key) {
    // A line break would record another key; a zero byte would cut the line.
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  return true;
}

size_t CountKeyLines(std::string_view text, std::string_view key) {
  size_t count = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == key) ++count;
    pos = end + 1;
  }
  return count;
}

}  // namespace

bool KickListReached(const std::string& path, std::string_view key, int ban_value, EventLog& log) {
  if (!UsableKey(key)) return false;
  ReadOnlyFile file;
  if (!EnsureFile(path, EnsureMode::kCreateIfMissing) || !file.Open(path)) {
    log.LogMessage(kSoundNone, "Couldn't open KickList.con! %s", ErrorText(GetLastErrorCode()));
    return false;
  }
  std::string text;
  char buffer[8192];
  size_t got = 0;
  do {
    if (!file.Read(buffer, sizeof buffer, &got)) {
      log.LogMessage(kSoundNone, "Couldn't read KickList.con! %s", ErrorText(GetLastErrorCode()));
      return false;
    }
    text.append(buffer, got);
  } while (got > 0 && text.size() < kMaxKickListBytes);
  file.Close();
  if (CountKeyLines(text, key) + 1 >= static_cast<size_t>(ban_value < 1 ? 1 : ban_value)) {
    return true;
  }
  if (!AppendToFile(path, std::string(key) + "\n")) {
    log.LogMessage(kSoundNone, "Couldn't write KickList.con! %s", ErrorText(GetLastErrorCode()));
  }
  return false;
}

}  // namespace varnholt
