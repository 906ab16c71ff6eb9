#include "log/admin_log.h"

#include <cinttypes>
#include <cstdio>

#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

constexpr const char* kUnknown = "[unknown]";

// A quoted field: an inner double quote is doubled, as spreadsheet readers expect. Line
// breaks would split the record, so they become blanks.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text.empty() ? std::string(kUnknown) : text) {
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\r' || c == '\n') {
      out += ' ';
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

// A bare field cannot hold a separator or a quote without shifting the columns after it.
std::string Bare(const std::string& text) {
  std::string out = text.empty() ? std::string(kUnknown) : text;
  for (char& c : out) {
    if (c == ',') c = ';';
    if (c == '"') c = '\'';
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

std::string Unsigned(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRIu64, static_cast<uint64_t>(value < 0 ? 0 : value));
  return text;
}

}  // namespace

AdminLog::AdminLog(std::string game_folder, bool enabled)
    : path_(JoinPath(game_folder, "AdminLog.csv")), enabled_(enabled) {}

std::string AdminLog::FormatRecord(const AdminLogRecord& r) {
  return Quoted(r.player) + "," + Bare(r.address) + "," + Bare(r.keyhash) + "," + Bare(r.guid) +
         "," + Quoted(r.admin) + "," + Unsigned(r.time) + "," + Bare(r.map) + "," + Bare(r.action) +
         "," + Unsigned(r.expires) + "," + Bare(r.reason);
}

void AdminLog::WriteAdminLog(const AdminLogRecord& record) const {
  if (!enabled_) return;
  uint32_t error = GetLastErrorCode();  // losing a record must not change the caller's reason
  std::string text;
  if (FileSize(path_) <= 0) text = std::string(kAdminLogHeader) + "\r\n";
  text += FormatRecord(record) + "\r\n";
  AppendToFile(path_, text);
  SetLastErrorCode(error);
}

}  // namespace varnholt
