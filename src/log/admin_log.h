// The admin action log AdminLog.csv in the game folder: one comma-separated record per kick
// or ban, written only when the program was started with -adminlog. Records are appended in
// one write each, so the worker and other threads never interleave a line.
#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

struct AdminLogRecord {
  std::string player;
  std::string address;
  std::string keyhash;
  std::string guid;
  std::string admin;  // "auto" for automatic kicks
  int64_t time = 0;   // calendar seconds of the action
  std::string map;
  std::string action;   // "kick" or "ban"
  int64_t expires = 0;  // 0 for kicks and permanent bans
  std::string reason;
};

constexpr const char* kAdminLogHeader =
    "player, address, keyhash, guid, admin, bantime, map, action, expires, reason";

class AdminLog {
 public:
  AdminLog(std::string game_folder, bool enabled);

  void SetEnabled(bool on) { enabled_ = on; }
  bool Enabled() const { return enabled_; }
  const std::string& Path() const { return path_; }

  // Appends one record, after the header when the file is empty or new. A file that cannot
  // be written loses the record silently; the action itself is not affected.
  void WriteAdminLog(const AdminLogRecord& record) const;

  // The record's line without its line end.
  static std::string FormatRecord(const AdminLogRecord& record);

 private:
  std::string path_;
  bool enabled_;
};

}  // namespace varnholt
