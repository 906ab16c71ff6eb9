// Open-file handles for code that reads or writes a file piece by piece rather than whole
// (files.h has the whole-file helpers): a read-only file read at any offset or in order, and
// a writer that streams into a unique temporary file and replaces its target only on
// Commit, so a failed write never leaves a partial target. Each object is used by one thread
// at a time; the handle is closed (and an uncommitted temporary file removed) on destruction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnholt {

class ReadOnlyFile {
 public:
  // A folder opens (reading it then fails) unless kRefuse is asked for.
  enum class Folders { kAllow, kRefuse };

  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Closes any file held, then opens `path`; false with the mapped errno as last error
  // (a refused folder gives the code of EISDIR).
  [[nodiscard]] bool Open(const std::string& path, Folders folders = Folders::kAllow);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Size in bytes when it was opened.
  uint64_t Size() const { return size_; }

  // Reads exactly `size` bytes at `offset` without moving the file position, so the
  // position never matters to the reader. False on a read error (mapped errno) or when the
  // file ends first (kErrorReadFault).
  [[nodiscard]] bool ReadAt(uint64_t offset, void* buffer, size_t size) const;

  // Reads on from the file position, filling `buffer` unless the file ends first, so only
  // the last piece comes back short; `*got` is the byte count (0 at the end). False with
  // the mapped errno on a read error.
  [[nodiscard]] bool Read(void* buffer, size_t size, size_t* got);

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

class TempFileWriter {
 public:
  TempFileWriter() = default;
  ~TempFileWriter();
  TempFileWriter(const TempFileWriter&) = delete;
  TempFileWriter& operator=(const TempFileWriter&) = delete;

  // Abandons any file in progress, then creates a uniquely named temporary file beside
  // `target`, with the target's permissions when it exists (else readable by all, writable
  // by its owner). False with the mapped errno.
  [[nodiscard]] bool Create(const std::string& target);
  // Makes the file in progress readable and writable by its owner only (files that hold
  // secrets); false with the mapped errno.
  [[nodiscard]] bool RestrictToOwner();
  // Appends all the bytes; false with the mapped errno.
  [[nodiscard]] bool Write(const void* data, size_t size);
  // Flushes the data to disk and renames the temporary file over the target. On failure the
  // temporary file is removed, the target is untouched and the last error is the first
  // failure's.
  [[nodiscard]] bool Commit();
  // Closes and removes the temporary file; leaves the target and the last error alone.
  void Abandon();

  // The temporary file's path while one is in progress, else empty.
  const std::string& temp_path() const { return temp_path_; }

 private:
  int fd_ = -1;
  std::string target_;
  std::string temp_path_;
};

}  // namespace varnholt
