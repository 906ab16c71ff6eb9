#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/ascii_text.h"
#include "platform/file_io.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  out += name;
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t FileSize(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(errno);
    return -1;
  }
  return static_cast<int64_t>(st.st_size);
}

bool FolderHasEntries(const std::string& path) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
  if (!dir) return SetLastErrorFromErrno(errno);
  while (dirent* e = readdir(dir.get())) {
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) return true;
  }
  SetLastErrorCode(kErrorFileNotFound);
  return false;
}

bool ListFolder(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
  if (!dir) return SetLastErrorFromErrno(errno);
  while (dirent* e = readdir(dir.get())) {
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names->push_back(e->d_name);
  }
  return true;
}

bool CreateFolders(const std::string& path) {
  if (path.empty()) return true;
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    size_t next = path.find('/', pos + 1);
    partial = path.substr(0, next);
    pos = next;
    if (partial.empty() || partial == "/") continue;
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
      // Any failure other than "already exists" stops the creation.
      return SetLastErrorFromErrno(errno);
    }
  }
  return FolderExists(path);
}

bool EnsureFile(const std::string& path, EnsureMode mode) {
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) CreateFolders(path.substr(0, slash));
  bool existed = FileExists(path);
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
  if (mode == EnsureMode::kTruncate) flags |= O_TRUNC;
  int fd = open(path.c_str(), flags, 0644);
  if (fd < 0) {
    int err = errno;
    if (existed) {
      // A read-only file that exists already: make it writable as the attribute reset does.
      chmod(path.c_str(), 0644);
      if (mode == EnsureMode::kTruncate) {
        fd = open(path.c_str(), flags, 0644);
        if (fd >= 0) close(fd);
      }
      return true;
    }
    return SetLastErrorFromErrno(err);
  }
  close(fd);
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) {
    chmod(path.c_str(), st.st_mode | S_IWUSR);
  }
  return true;
}

std::string FindPathNoCase(const std::string& base, std::string_view relative) {
  std::string current = base;
  bool exists = FolderExists(base);
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string_view::npos) end = relative.size();
    std::string piece(relative.substr(start, end - start));
    start = end + 1;
    if (piece.empty()) {
      if (end == relative.size()) break;
      continue;
    }
    std::string chosen = piece;
    if (exists) {
      std::string direct = JoinPath(current, piece);
      struct stat st {};
      if (lstat(direct.c_str(), &st) != 0) {
        std::unique_ptr<DIR, DirCloser> dir(opendir(current.c_str()));
        bool found = false;
        while (dir && !found) {
          dirent* e = readdir(dir.get());
          if (e == nullptr) break;
          if (EqualsNoCase(e->d_name, piece)) {
            chosen = e->d_name;
            found = true;
          }
        }
        exists = found;
      }
    }
    current = JoinPath(current, chosen);
    if (end == relative.size()) break;
  }
  return current;
}

bool ReadWholeFile(const std::string& path, std::string* contents, size_t max_bytes) {
  contents->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      close(fd);
      return SetLastErrorFromErrno(err);
    }
    if (n == 0) break;
    if (contents->size() + static_cast<size_t>(n) > max_bytes) {
      close(fd);
      SetLastErrorCode(kErrorInsufficientBuffer);
      return false;
    }
    contents->append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool ReadFileTail(const std::string& path, size_t max_bytes, std::string* contents) {
  contents->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  const off_t end = lseek(fd, 0, SEEK_END);
  const off_t start = end > static_cast<off_t>(max_bytes) ? end - static_cast<off_t>(max_bytes) : 0;
  if (end < 0 || lseek(fd, start, SEEK_SET) < 0) {
    int err = errno;
    close(fd);
    return SetLastErrorFromErrno(err);
  }
  // A log that grows meanwhile gives no more than was asked for.
  contents->resize(static_cast<size_t>(end - start));
  size_t got = 0;
  while (got < contents->size()) {
    ssize_t n = read(fd, contents->data() + got, contents->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int err = errno;
      close(fd);
      contents->clear();
      return SetLastErrorFromErrno(err);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  contents->resize(got);
  close(fd);
  return true;
}

bool WriteWholeFile(const std::string& path, std::string_view contents) {
  TempFileWriter writer;
  return writer.Create(path) && writer.Write(contents.data(), contents.size()) && writer.Commit();
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  int err = errno;
  close(fd);
  if (!ok) return SetLastErrorFromErrno(err);
  return true;
}

bool RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) != 0) return SetLastErrorFromErrno(errno);
  return true;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  // link() fails when the target exists, which rename() would silently replace.
  if (link(from.c_str(), to.c_str()) != 0) return SetLastErrorFromErrno(errno);
  unlink(from.c_str());
  return true;
}

bool CanOpenForReadWrite(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return SetLastErrorFromErrno(errno);
  close(fd);
  return true;
}

std::string CurrentFolder() {
  char buf[PATH_MAX];
  if (getcwd(buf, sizeof buf) == nullptr) return std::string();
  return buf;
}

}  // namespace varnholt
