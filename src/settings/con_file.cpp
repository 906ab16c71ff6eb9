#include "settings/con_file.h"

#include <algorithm>

#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "settings/setting_def.h"

namespace varnholt {
namespace {

bool IsOpenFailure(uint32_t code) {
  switch (code) {
    case kErrorFileNotFound:
    case kErrorPathNotFound:
    case kErrorTooManyOpenFiles:
    case kErrorAccessDenied:
    case kErrorInvalidName:
    case kErrorFilenameTooLong:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::string> SplitConLines(std::string_view contents) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    size_t next = end == std::string_view::npos ? contents.size() : end + 1;
    std::string_view line = contents.substr(start, next - start);
    start = next;
    // A line longer than a reader's buffer arrives as several pieces.
    while (line.size() > kConLineMax) {
      std::string_view piece = line.substr(0, kConLineMax);
      line.remove_prefix(kConLineMax);
      lines.emplace_back(piece.substr(0, piece.find_first_of("\r\n")));
    }
    lines.emplace_back(line.substr(0, line.find_first_of("\r\n")));
  }
  return lines;
}

ConLine SplitConKey(std::string_view line) {
  ConLine out;
  size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return out;
  size_t end = line.find(' ', start);
  if (end == std::string_view::npos) {
    out.key = line.substr(start);
    return out;
  }
  out.key = line.substr(start, end - start);
  out.rest = line.substr(end + 1);
  return out;
}

std::string_view NextConWord(std::string_view* rest) {
  size_t start = rest->find_first_not_of(' ');
  if (start == std::string_view::npos) {
    *rest = std::string_view();
    return std::string_view();
  }
  size_t end = rest->find(' ', start);
  std::string_view word = rest->substr(start, end == std::string_view::npos ? end : end - start);
  *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end + 1);
  return word;
}

ConReadResult ReadConFile(const std::string& path, std::string* contents) {
  if (ReadWholeFile(path, contents, kConFileMax)) return ConReadResult::kOk;
  return IsOpenFailure(GetLastErrorCode()) ? ConReadResult::kOpenFailed
                                           : ConReadResult::kReadFailed;
}

bool ReadConSetting(EventLog& log, const std::string& path, std::string_view key,
                    std::string* value, size_t size) {
  value->clear();
  std::string contents;
  switch (ReadConFile(path, &contents)) {
    case ConReadResult::kOk:
      break;
    case ConReadResult::kOpenFailed:
      log.LogMessage(kSoundNone, "Couldn't open file %s! %s", path.c_str(),
                     ErrorText(GetLastErrorCode()));
      return false;
    case ConReadResult::kReadFailed:
      log.LogMessage(kSoundNone, "Couldn't read settings file %s! %s", path.c_str(),
                     ErrorText(GetLastErrorCode()));
      return false;
  }
  if (contents.empty()) {
    SetLastErrorCode(kErrorFileNotFound);
    return false;
  }
  for (const std::string& line : SplitConLines(contents)) {
    ConLine parts = SplitConKey(line);
    if (parts.key.empty() || parts.rest.empty() || !EqualsNoCase(parts.key, key)) continue;
    if (size > 0) value->assign(parts.rest.substr(0, size - 1));
    return true;
  }
  ClearLastError();
  return false;
}

bool SetConSetting(EventLog& log, const std::string& path, std::string_view key,
                   std::string_view value) {
  std::string line;
  if (!value.empty()) line.append(key).append(" ").append(value);
  return RemoveLinesContaining(log, path, key, line);
}

bool RemoveLinesContaining(EventLog& log, const std::string& path, std::string_view text,
                           std::string_view replacement) {
  if (text.empty()) {
    // Every line contains the empty text: removing them all is never what a caller means.
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  std::string contents;
  ConReadResult read = ReadConFile(path, &contents);
  if (read != ConReadResult::kOk) {
    log.LogMessage(
        kSoundNone,
        read == ConReadResult::kOpenFailed ? "Couldn't open %s! %s" : "Couldn't read %s! %s",
        path.c_str(), ErrorText(GetLastErrorCode()));
    return false;
  }
  // A replacement never carries a line break of its own into the file.
  std::string new_line(replacement.substr(0, replacement.find_first_of("\r\n")));
  // The rewrite keeps the line end the file already uses: LF when every line ends so (the
  // rotation files), else CR LF (the settings files, and a file with no line end yet).
  const bool lf_only =
      contents.find('\n') != std::string::npos && contents.find("\r\n") == std::string::npos;
  const std::string_view eol = lf_only ? "\n" : "\r\n";
  std::string out;
  out.reserve(contents.size() + new_line.size() + 2);
  bool matched = false;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    size_t next = end == std::string::npos ? contents.size() : end + 1;
    std::string_view line(contents.data() + start, next - start);
    start = next;
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find(text) != std::string_view::npos) {
      matched = true;
      if (!new_line.empty()) out.append(new_line).append(eol);
      continue;
    }
    // Every line ends with a line end, so an appended line can never join the last one.
    out.append(line).append(eol);
  }
  if (!matched && !new_line.empty()) out.append(new_line).append(eol);
  if (!WriteWholeFile(path, out)) {
    log.LogMessage(kSoundNone, "Couldn't rename %s! %s", path.c_str(),
                   ErrorText(GetLastErrorCode()));
    return false;
  }
  return true;
}

}  // namespace varnholt
