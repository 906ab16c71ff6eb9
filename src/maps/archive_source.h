// Random-access byte sources for the level archive reader: an open file (read at offsets,
// so the reader never depends on a shared file position) or a block of memory (fuzzing,
// benchmarks). A source is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_io.h"

namespace varnholt {

class ArchiveSource {
 public:
  virtual ~ArchiveSource() = default;
  // Size of the whole archive in bytes.
  virtual uint64_t Size() const = 0;
  // Reads exactly `size` bytes at `offset`; false (last error set) on a short read.
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) const = 0;

  // One little-endian 32-bit word at `offset`.
  bool ReadWord(uint64_t offset, uint32_t* value) const;
};

class FileArchiveSource final : public ArchiveSource {
 public:
  // Opens the archive for reading; false with the mapped errno as last error (a folder is
  // refused).
  bool Open(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  uint64_t Size() const override { return file_.Size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) const override;

 private:
  ReadOnlyFile file_;
};

class MemoryArchiveSource final : public ArchiveSource {
 public:
  explicit MemoryArchiveSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) const override;

 private:
  std::string_view bytes_;
};

}  // namespace varnholt
