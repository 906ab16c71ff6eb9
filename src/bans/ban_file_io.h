// Reading and rewriting the ban files whole. Every reader bounds what it takes in memory;
// every rewrite goes through a temporary file and an atomic rename, so a failure or a crash
// in the middle leaves the old file, never a half-written one.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "log/event_log.h"

namespace varnholt {

// Ban files larger than this are refused as unreadable rather than read into memory.
constexpr size_t kMaxBanFileBytes = 64u * 1024u * 1024u;

// Reads the whole file. An open failure logs `open_failure` ("...! %s"), a read failure
// `read_failure`, each with the error text; false with the last error kept. After a read
// failure `text` holds what was read before it; `opened` (when given) says whether the
// file could be opened.
bool ReadBanFile(EventLog& log, const std::string& path, std::string* text,
                 const char* open_failure, const char* read_failure, bool* opened = nullptr);

// Rewrites a text file without the lines for which `matches` is true (a missing file is
// left missing and counts as success). False with the last error when it cannot be read or
// replaced; the file is then unchanged.
bool RemoveMatchingLines(const std::string& path,
                         const std::function<bool(std::string_view line)>& matches);

}  // namespace varnholt
