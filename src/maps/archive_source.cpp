#include "maps/archive_source.h"

#include <cstring>

#include "platform/last_error.h"

namespace varnholt {

bool ArchiveSource::ReadWord(uint64_t offset, uint32_t* value) const {
  unsigned char b[4];
  if (!ReadAt(offset, b, sizeof b)) return false;
  *value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  return true;
}

bool FileArchiveSource::Open(const std::string& path) {
  return file_.Open(path, ReadOnlyFile::Folders::kRefuse);
}

bool FileArchiveSource::ReadAt(uint64_t offset, void* buffer, size_t size) const {
  return file_.ReadAt(offset, buffer, size);
}

bool MemoryArchiveSource::ReadAt(uint64_t offset, void* buffer, size_t size) const {
  if (offset > bytes_.size() || size > bytes_.size() - offset) {
    SetLastErrorCode(kErrorReadFault);
    return false;
  }
  if (size > 0) memcpy(buffer, bytes_.data() + offset, size);
  return true;
}

}  // namespace varnholt
