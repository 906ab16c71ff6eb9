#include "bans/ban_file_io.h"

#include "log/error_text.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {

bool ReadBanFile(EventLog& log, const std::string& path, std::string* text,
                 const char* open_failure, const char* read_failure, bool* opened) {
  text->clear();
  if (opened != nullptr) *opened = false;
  ReadOnlyFile file;
  if (!file.Open(path, ReadOnlyFile::Folders::kRefuse)) {
    uint32_t error = GetLastErrorCode();
    log.LogMessage(kSoundNone, open_failure, ErrorText(error));
    SetLastErrorCode(error);
    return false;
  }
  if (opened != nullptr) *opened = true;
  if (file.Size() <= kMaxBanFileBytes) text->reserve(file.Size());
  char buffer[65536];
  for (;;) {
    size_t got = 0;
    bool ok = file.Read(buffer, sizeof buffer, &got);
    if (ok && text->size() + got > kMaxBanFileBytes) {
      SetLastErrorCode(kErrorInsufficientBuffer);
      ok = false;
    }
    if (!ok) {
      uint32_t error = GetLastErrorCode();
      log.LogMessage(kSoundNone, read_failure, ErrorText(error));
      SetLastErrorCode(error);
      return false;
    }
    if (got == 0) break;
    text->append(buffer, got);
  }
  return true;
}

bool RemoveMatchingLines(const std::string& path,
                         const std::function<bool(std::string_view line)>& matches) {
  std::string text;
  if (!ReadWholeFile(path, &text, kMaxBanFileBytes)) {
    if (GetLastErrorCode() == kErrorFileNotFound) {
      ClearLastError();
      return true;  // nothing to remove from
    }
    return false;
  }
  std::string kept;
  kept.reserve(text.size());
  bool removed = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    std::string_view line(text.data() + pos, next - pos);
    std::string_view bare = line;
    while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.remove_suffix(1);
    if (matches(bare)) {
      removed = true;
    } else {
      kept.append(line);
    }
    pos = next;
  }
  if (!removed) return true;
  return WriteWholeFile(path, kept);
}

}  // namespace varnholt
