// Builds level archives in the game's flat layout: optional header text, directory offset
// word, entry data, then the directory. Entries are stored as they are or compressed with
// LZO1X-1 in chunks. Used by the rfa-pack tool, the demo content and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// One chunk of a compressed entry as it stands in the archive.
struct ArchiveChunk {
  std::string bytes;             // an LZO1X stream (or anything, for damaged archives)
  uint32_t decompressed_length;  // what the chunk table promises
};

inline constexpr uint32_t kDefaultArchiveChunkSize = 32768;

class ArchiveWriter {
 public:
  explicit ArchiveWriter(bool with_header = false) : with_header_(with_header) {}

  // An entry kept as it is (both sizes equal).
  void AddStored(std::string name, std::string_view content);
  // An entry compressed with LZO1X-1 in chunks of `chunk_size` bytes (1 to 32772). When the
  // compressed form happens to be exactly as long as the content, the entry is stored
  // instead, because equal sizes are what marks a stored entry; with `store_if_larger`, also
  // when compression would not make it smaller. Fails (last error set) on a bad chunk size
  // or a compressor failure.
  bool AddCompressed(std::string name, std::string_view content,
                     uint32_t chunk_size = kDefaultArchiveChunkSize, bool store_if_larger = false);
  // A chunked entry made of the given chunks, for archives that exercise the reader.
  // `declared_size` goes into the first size field; it must differ from the stored block
  // size (4 + 12 per chunk + the chunk bytes) or the entry reads back as stored.
  void AddRawChunks(std::string name, std::vector<ArchiveChunk> chunks, uint32_t declared_size);

  size_t EntryCount() const { return entries_.size(); }

  // The whole archive; fails (kErrorInvalidParameter) when it would pass 4 GiB.
  bool Build(std::string* archive) const;
  // Builds and writes through a temporary file and rename.
  bool WriteTo(const std::string& path) const;

 private:
  struct Entry {
    std::string name;
    uint32_t first_size;
    uint32_t second_size;
    std::string data;
  };
  bool with_header_;
  std::vector<Entry> entries_;
};

// The stored block of a chunked entry: count, table, chunk bytes.
std::string BuildChunkBlock(const std::vector<ArchiveChunk>& chunks);

}  // namespace varnholt
