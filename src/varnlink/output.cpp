#include "varnlink/output.h"

#include <algorithm>

#include "platform/local_time.h"

namespace varnholt::varnlink {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte >= 0x7F) {
      // Server texts are single-byte characters of no declared encoding; escaping keeps
      // the document valid UTF-8 whatever they hold.
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonTime(int64_t seconds) {
  if (seconds == 0) return "null";
  std::string text = FormatLocalTime(seconds, "%Y-%m-%dT%H:%M:%S%z");
  if (text.size() < 5) return "null";
  // strftime writes +0100; ISO 8601's extended form wants +01:00.
  const size_t minutes = text.size() - 2;
  return "\"" + text.substr(0, minutes) + ":" + text.substr(minutes) + "\"";
}

std::string PeopleTime(int64_t seconds) {
  if (seconds == 0) return "-";
  return FormatLocalTime(seconds, "%c");
}

std::string AlignedTable(const std::vector<std::string>& headers,
                         const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths(headers.size(), 0);
  auto measure = [&widths](const std::vector<std::string>& row) {
    for (size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], row[i].size());
    }
  };
  measure(headers);
  for (const auto& row : rows) measure(row);
  std::string out;
  auto line = [&](const std::vector<std::string>& row) {
    for (size_t i = 0; i < widths.size(); ++i) {
      const std::string& cell = i < row.size() ? row[i] : std::string();
      out += cell;
      if (i + 1 < widths.size()) out += std::string(widths[i] - cell.size() + 2, ' ');
    }
    out += '\n';
  };
  line(headers);
  for (const auto& row : rows) line(row);
  return out;
}

std::string ProgressBarText(uint64_t done, uint64_t total) {
  constexpr uint64_t kWidth = 30;
  if (total == 0) return std::string();
  done = std::min(done, total);
  const uint64_t filled = done * kWidth / total;
  char figures[64];
  snprintf(figures, sizeof figures, "] %3u%%  %.1f of %.1f MB",
           static_cast<unsigned>(done * 100 / total), static_cast<double>(done) / 1048576.0,
           static_cast<double>(total) / 1048576.0);
  return "\r[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + figures;
}

std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace varnholt::varnlink
