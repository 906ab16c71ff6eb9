#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/last_error.h"

namespace varnholt {

ReadOnlyFile::~ReadOnlyFile() {
  Close();
}

void ReadOnlyFile::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  size_ = 0;
}

bool ReadOnlyFile::Open(const std::string& path, Folders folders) {
  Close();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    int err = errno;
    close(fd);
    return SetLastErrorFromErrno(err);
  }
  if (folders == Folders::kRefuse && S_ISDIR(st.st_mode)) {
    close(fd);
    return SetLastErrorFromErrno(EISDIR);
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

bool ReadOnlyFile::ReadAt(uint64_t offset, void* buffer, size_t size) const {
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

bool ReadOnlyFile::Read(void* buffer, size_t size, size_t* got) {
  *got = 0;
  if (fd_ < 0) return SetLastErrorFromErrno(EBADF);
  char* out = static_cast<char*>(buffer);
  while (*got < size) {
    ssize_t n = read(fd_, out + *got, size - *got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return SetLastErrorFromErrno(errno);
    }
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return true;
}

TempFileWriter::~TempFileWriter() {
  Abandon();
}

bool TempFileWriter::Create(const std::string& target) {
  Abandon();
  // mkostemp gives every writer (and every thread) its own temporary name.
  std::string temp = target + ".XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  // The replacement keeps the target's permissions when it exists.
  struct stat st {};
  fchmod(fd, stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) | S_IWUSR : 0644);
  fd_ = fd;
  target_ = target;
  temp_path_ = std::move(temp);
  return true;
}

bool TempFileWriter::RestrictToOwner() {
  if (fd_ < 0) return SetLastErrorFromErrno(EBADF);
  if (fchmod(fd_, S_IRUSR | S_IWUSR) != 0) return SetLastErrorFromErrno(errno);
  return true;
}

bool TempFileWriter::Write(const void* data, size_t size) {
  if (fd_ < 0) return SetLastErrorFromErrno(EBADF);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return SetLastErrorFromErrno(errno);
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool TempFileWriter::Commit() {
  if (fd_ < 0) return SetLastErrorFromErrno(EBADF);
  int err = 0;
  if (fdatasync(fd_) != 0) err = errno;
  // A failed close can be the first report of a failed write-back, so it counts too.
  if (close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  if (err == 0 && rename(temp_path_.c_str(), target_.c_str()) != 0) err = errno;
  if (err != 0) {
    Abandon();
    return SetLastErrorFromErrno(err);
  }
  temp_path_.clear();
  target_.clear();
  return true;
}

void TempFileWriter::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_path_.empty()) unlink(temp_path_.c_str());
  temp_path_.clear();
  target_.clear();
}

}  // namespace varnholt
