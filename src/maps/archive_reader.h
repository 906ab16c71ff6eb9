// Reader of the game's flat level archives (".rfa"): the directory walk shared by the
// game-type scan and the extractor, and the extraction of one named entry, stored or
// LZO1X-chunked. Every length and count taken from an archive is checked against the
// archive's size and the buffer limits before it is used, so a damaged or hostile archive
// is refused instead of read past. The reader logs nothing; callers decide what to say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "maps/archive_source.h"

namespace varnholt {

// The optional text that opens an archive: 26 characters and two blanks, no terminator.
inline constexpr std::string_view kArchiveHeaderText = "Emberforge FlatArchive 1.1  ";
inline constexpr uint32_t kMaxArchiveNameLength = 511;
inline constexpr uint32_t kMaxChunkCompressedLength = 0xC000;
inline constexpr uint32_t kMaxChunkDecompressedLength = 32772;
// A directory entry is its name plus this many bytes (length, two sizes, offset, reserved).
inline constexpr uint32_t kArchiveEntryFixedBytes = 28;
inline constexpr uint32_t kArchiveChunkRecordBytes = 12;

// Results of ExtractArchiveEntry besides the decompressor's negative codes.
inline constexpr int kExtractWritten = 1;
inline constexpr int kExtractFailed = 0;
// A chunk that decoded to fewer bytes than its table record promises.
inline constexpr int kExtractShortChunk = -12;

struct ArchiveEntry {
  // Path inside the archive; empty when the stored name is longer than the limit.
  std::string name;
  bool name_too_long = false;
  uint32_t first_size = 0;
  uint32_t second_size = 0;
  uint32_t data_offset = 0;
  // Equal sizes mark an entry stored without compression.
  bool IsStored() const { return first_size == second_size; }
};

// Where the directory offset word stands: 28 when the archive opens with the header text,
// else 0.
uint64_t ArchiveOffsetWordPosition(const ArchiveSource& source);

// Calls `visit` for each directory entry in order until it returns false, the entry count
// is reached or the next entry would run past the end of the archive. Fails (last error
// kErrorInvalidData) when the directory offset or count cannot be read.
bool WalkArchiveDirectory(const ArchiveSource& source,
                          const std::function<bool(const ArchiveEntry&)>& visit);

// First entry whose name equals `name` ignoring ASCII case.
bool FindArchiveEntry(const ArchiveSource& source, std::string_view name, ArchiveEntry* entry);

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const void* data, size_t size) = 0;
};

// Writes the content of `entry` to `sink`: kExtractWritten, kExtractFailed when a length
// is out of bounds, a read fails or the sink refuses, or the negative decompressor code of
// the first bad chunk.
int ExtractEntry(const ArchiveSource& source, const ArchiveEntry& entry, ByteSink& sink);

// Extracts the entry named `entryName` (any case) into `outputPath`. The content goes to
// a temporary file beside the target that replaces it only when every byte was written, so
// a failed extraction never leaves a partial file. Returns kExtractWritten, kExtractFailed
// (archive unreadable, no such entry, output not writable, out-of-bounds values) or a
// negative decompressor code.
int ExtractArchiveEntry(const std::string& archivePath, std::string_view entryName,
                        const std::string& outputPath);

// Mode bits 1 (a conquest game-type file) and 2 (a coop game-type file) found in the
// directory's names.
uint32_t GameTypesInDirectory(const ArchiveSource& source);

// True when `upper_name` (already upper case) is a game-type file of the given kind:
// the first occurrence of `suffix` ends the name.
bool NameEndsWithGameType(std::string_view upper_name, std::string_view suffix);

}  // namespace varnholt
