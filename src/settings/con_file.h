// The .con text files shared with the game server: one setting per line, a key, a blank and
// a value; keys compare ignoring case. Lines are written with CR LF and read with CR LF or
// LF. Every rewrite goes through a unique temporary file and an atomic rename, so two threads
// never share a temporary name and a crash leaves the old or the new file whole. The
// functions keep no state and may run on any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"

namespace varnholt {

// The longest line a reader takes; longer lines are read as several pieces.
constexpr size_t kConLineMax = 1023;
// Settings files larger than this are refused as unreadable.
constexpr size_t kConFileMax = 16u * 1024u * 1024u;

// Splits file text into lines as the readers see them: each line ends at a line feed and is
// cut at its first carriage return or line feed; pieces of at most kConLineMax characters.
std::vector<std::string> SplitConLines(std::string_view contents);

// The first word of a line (leading blanks skipped) and the rest after its separating blank.
struct ConLine {
  std::string_view key;
  std::string_view rest;
};
ConLine SplitConKey(std::string_view line);

// The next word of `rest` (leading blanks skipped); `rest` moves past it and its blank.
std::string_view NextConWord(std::string_view* rest);

enum class ConReadResult { kOk, kOpenFailed, kReadFailed };
// Reads a whole .con file, telling an open failure from a read failure; the last error is
// left set on failure.
ConReadResult ReadConFile(const std::string& path, std::string* contents);

// Looks `key` up in a .con file: the first line whose key matches (ignoring case) and whose
// value is not empty gives at most size - 1 characters of its value. An empty file gives
// false with last error 2; an unreadable one is logged and gives false.
[[nodiscard]] bool ReadConSetting(EventLog& log, const std::string& path, std::string_view key,
                                  std::string* value, size_t size);

// Replaces every line that contains `key` by "key value", or appends that line when none
// does; an empty value only removes the lines.
[[nodiscard]] bool SetConSetting(EventLog& log, const std::string& path, std::string_view key,
                                 std::string_view value);

// Rewrites a text file without the lines that contain `text` (case-sensitive). With a
// replacement, each such line is replaced by it, and when no line matched the replacement is
// appended. Fails, logged, when the file cannot be read or replaced; the file is then
// unchanged. An empty `text` (which every line contains) is refused with error 87.
[[nodiscard]] bool RemoveLinesContaining(EventLog& log, const std::string& path,
                                         std::string_view text, std::string_view replacement = {});

}  // namespace varnholt
