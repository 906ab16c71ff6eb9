#include "bans/ban_list.h"

#include "bans/ban_file_format.h"
#include "bans/ban_file_io.h"
#include "log/error_text.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "schedule/time_conversions.h"

namespace varnholt {

std::string BanListText(const std::vector<BanRecord>& records) {
  std::string text;
  text.reserve(records.size() * 120);
  for (const BanRecord& r : records) AppendBanLine(r, &text);
  return text;
}

bool BanList::LoadBanList(const std::string& path) {
  std::string text;
  bool opened = false;
  bool ok = ReadBanFile(log_, path, &text, "Couldn't open banlist file! %s",
                        "Couldn't read banlist file! %s", &opened);
  if (!opened) return false;  // the list stays as it was
  std::vector<BanRecord> records = ParseBanListText(text);
  std::lock_guard<std::mutex> lock(mutex_);
  records_ = std::move(records);
  return ok;
}

bool BanList::SaveBanList(const std::string& path) {
  std::string text = BanListText(Records());
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
  if (!WriteWholeFile(path, text)) {
    uint32_t error = GetLastErrorCode();
    log_.LogMessage(kSoundNone, "Couldn't open banlist file! %s", ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  return true;
}

std::vector<BanRecord> BanList::Records() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_;
}

size_t BanList::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_.size();
}

void BanList::Append(const BanRecord& record) {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.push_back(record);
}

void BanList::Replace(std::vector<BanRecord> records) {
  std::lock_guard<std::mutex> lock(mutex_);
  records_ = std::move(records);
}

void BanList::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  records_.clear();
}

void BanList::Update(const std::function<void(std::vector<BanRecord>&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  change(records_);
}

bool BanList::Dirty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dirty_;
}

void BanList::SetDirty(bool dirty) {
  std::lock_guard<std::mutex> lock(mutex_);
  dirty_ = dirty;
}

}  // namespace varnholt

namespace varnholt {

std::string BanTimeText(int64_t bantime) {
  if (bantime == 0) return "[unknown]";
  std::string text = DisplayTimeText(bantime);
  return text.empty() ? std::string("[unknown]") : text;
}

std::string ExpiresText(int64_t expires) {
  if (expires == 0) return "Permanent";
  std::string text = DisplayTimeText(expires);
  return text.empty() ? std::string("[unknown]") : text;
}

}  // namespace varnholt
