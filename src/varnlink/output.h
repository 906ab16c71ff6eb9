// How varnlink prints: aligned tables and local times for people, JSON with ISO 8601 times
// for scripts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::varnlink {

// Where results and messages go, and in which form.
struct Output {
  FILE* out = stdout;
  FILE* err = stderr;
  bool json = false;
};

// The text as a JSON string with its quotes; control characters and bytes that are not
// printable ASCII are escaped (\u00XX), so any server text gives valid JSON.
std::string JsonString(std::string_view text);

// Calendar seconds as ISO 8601 with the local offset ("2026-12-08T15:04:05+01:00"); the
// JSON null for 0 (no time).
std::string JsonTime(int64_t seconds);
// The locale's date and time for people; "-" for 0.
std::string PeopleTime(int64_t seconds);

// Columns padded to their widest cell, two blanks apart; the last column unpadded.
std::string AlignedTable(const std::vector<std::string>& headers,
                         const std::vector<std::vector<std::string>>& rows);

// Transfers above this size show a progress bar on a terminal.
constexpr uint64_t kProgressBarThreshold = 1024 * 1024;

// "\r[#########.....................]  30%  1.2 of 4.0 MB": a bar that redraws itself.
std::string ProgressBarText(uint64_t done, uint64_t total);

// A file's text as lines without their line ends (CR LF or LF); no empty last line.
std::vector<std::string_view> TextLines(std::string_view text);

}  // namespace varnholt::varnlink
