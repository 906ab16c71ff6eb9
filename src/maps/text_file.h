// Whole-file reading for the maps files, telling an open failure from a read failure,
// because each has its own message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "log/event_log.h"

namespace varnholt {

enum class TextReadResult { kOk, kOpenFailed, kReadFailed };

// Reads at most `max_bytes` (a larger file is a read failure); the last error is set on
// failure.
TextReadResult ReadTextFile(const std::string& path, std::string* text,
                            size_t max_bytes = 16u * 1024u * 1024u);

// Reads Mods.con at `path`, logging "Couldn't open mods file! %s" or "Couldn't read mods
// file! %s" on failure.
bool ReadModsFile(const std::string& path, std::string* text, EventLog& log,
                  size_t max_bytes = 1024u * 1024u);

// The lines of a text, line feeds removed and a carriage return before them too.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace varnholt
