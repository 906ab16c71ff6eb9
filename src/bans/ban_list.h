// The BanList: every ban the program has made, in insertion order, kept for the whole run
// and stored in ServerBanList.con. The worker changes it while it executes a Command; the
// ban page and its import/export read and replace it from the user-interface thread. A
// mutex guards the records and is held only to copy them in or out, never across file I/O.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "bans/ban_record.h"
#include "log/event_log.h"

namespace varnholt {

class BanList {
 public:
  explicit BanList(EventLog& log) : log_(log) {}

  // Replaces the records with the readable lines of the file. A file that cannot be opened
  // leaves the list unchanged; a read error keeps the records read so far.
  bool LoadBanList(const std::string& path);
  // Writes every record through a temporary file and an atomic rename, creating missing
  // folders; on failure the old file stays.
  bool SaveBanList(const std::string& path);

  std::vector<BanRecord> Records() const;
  size_t Size() const;
  void Append(const BanRecord& record);
  void Replace(std::vector<BanRecord> records);
  void Clear();
  // Runs `change` on the records under the lock; it must not block.
  void Update(const std::function<void(std::vector<BanRecord>&)>& change);

  bool Dirty() const;
  void SetDirty(bool dirty);

 private:
  EventLog& log_;
  mutable std::mutex mutex_;
  std::vector<BanRecord> records_;
  bool dirty_ = false;
};

// The whole file text of the records.
std::string BanListText(const std::vector<BanRecord>& records);

}  // namespace varnholt

namespace varnholt {

// The ban page's and the messages' forms of the two times: the 24-character local time, or
// "[unknown]" for a ban time of 0 and "Permanent" for an expiry of 0.
std::string BanTimeText(int64_t bantime);
std::string ExpiresText(int64_t expires);

}  // namespace varnholt
