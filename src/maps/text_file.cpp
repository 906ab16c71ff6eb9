#include "maps/text_file.h"

#include "log/error_text.h"
#include "platform/file_io.h"
#include "platform/last_error.h"

namespace varnholt {

TextReadResult ReadTextFile(const std::string& path, std::string* text, size_t max_bytes) {
  text->clear();
  ReadOnlyFile file;
  if (!file.Open(path)) return TextReadResult::kOpenFailed;
  char buf[8192];
  for (;;) {
    size_t n = 0;
    if (!file.Read(buf, sizeof buf, &n)) return TextReadResult::kReadFailed;
    if (n == 0) break;
    if (text->size() + n > max_bytes) {
      SetLastErrorCode(kErrorInsufficientBuffer);
      return TextReadResult::kReadFailed;
    }
    text->append(buf, n);
  }
  return TextReadResult::kOk;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  return lines;
}

bool ReadModsFile(const std::string& path, std::string* text, EventLog& log, size_t max_bytes) {
  switch (ReadTextFile(path, text, max_bytes)) {
    case TextReadResult::kOpenFailed:
      log.LogMessage(kSoundNone, "Couldn't open mods file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kReadFailed:
      log.LogMessage(kSoundNone, "Couldn't read mods file! %s", ErrorText(GetLastErrorCode()));
      return false;
    case TextReadResult::kOk:
      break;
  }
  return true;
}

}  // namespace varnholt
