#include "maps/archive_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

FileArchiveSource::~FileArchiveSource() {
  if (fd_ >= 0) close(fd_);
}

bool FileArchiveSource::Open(const std::string& path) {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    int err = errno;
    close(fd);
    return SetLastErrorFromErrno(err);
  }
  if (S_ISDIR(st.st_mode)) {
    close(fd);
    return SetLastErrorFromErrno(EISDIR);
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

bool FileArchiveSource::ReadAt(uint64_t offset, void* buffer, size_t size) const {
  if (fd_ < 0) return SetLastErrorFromErrno(EBADF);
  char* out = static_cast<char*>(buffer);
  while (size > 0) {
    ssize_t n = pread(fd_, out, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return SetLastErrorFromErrno(errno);
    }
    if (n == 0) {
      SetLastErrorCode(kErrorReadFault);
      return false;
    }
    out += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return true;
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
