#include "maps/archive_reader.h"

#include <lzo/lzo1x.h>

#include <memory>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/file_io.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

bool Fits(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

int Refuse() {
  SetLastErrorCode(kErrorInvalidData);
  return kExtractFailed;
}

int CopyStoredEntry(const ArchiveSource& source, const ArchiveEntry& entry, ByteSink& sink) {
  if (!Fits(entry.data_offset, entry.first_size, source.Size())) return Refuse();
  std::vector<char> block(64 * 1024);
  uint64_t offset = entry.data_offset;
  uint64_t left = entry.first_size;
  while (left > 0) {
    size_t n = left < block.size() ? static_cast<size_t>(left) : block.size();
    if (!source.ReadAt(offset, block.data(), n)) return kExtractFailed;
    if (!sink.Write(block.data(), n)) return kExtractFailed;
    offset += n;
    left -= n;
  }
  return kExtractWritten;
}

int DecompressChunkedEntry(const ArchiveSource& source, const ArchiveEntry& entry, ByteSink& sink) {
  const uint64_t size = source.Size();
  uint32_t chunk_count = 0;
  if (!source.ReadWord(entry.data_offset, &chunk_count)) return Refuse();
  // 64-bit arithmetic: 4 + 12 * 0xFFFFFFFF cannot wrap, and the table must lie in the file.
  const uint64_t table_start = static_cast<uint64_t>(entry.data_offset) + 4;
  const uint64_t table_bytes = static_cast<uint64_t>(chunk_count) * kArchiveChunkRecordBytes;
  if (!Fits(table_start, table_bytes, size)) return Refuse();
  const uint64_t chunks_base = table_start + table_bytes;

  std::unique_ptr<unsigned char[]> input(new unsigned char[kMaxChunkCompressedLength]);
  std::unique_ptr<unsigned char[]> output(new unsigned char[kMaxChunkDecompressedLength]);
  for (uint32_t i = 0; i < chunk_count; ++i) {
    unsigned char record[kArchiveChunkRecordBytes];
    if (!source.ReadAt(table_start + static_cast<uint64_t>(i) * kArchiveChunkRecordBytes, record,
                       sizeof record)) {
      return kExtractFailed;
    }
    auto word = [&record](int at) {
      return static_cast<uint32_t>(record[at]) | static_cast<uint32_t>(record[at + 1]) << 8 |
             static_cast<uint32_t>(record[at + 2]) << 16 |
             static_cast<uint32_t>(record[at + 3]) << 24;
    };
    const uint32_t compressed = word(0);
    const uint32_t decompressed = word(4);
    const uint64_t start = chunks_base + word(8);
    if (compressed > kMaxChunkCompressedLength || decompressed > kMaxChunkDecompressedLength ||
        !Fits(start, compressed, size)) {
      return Refuse();
    }
    if (!source.ReadAt(start, input.get(), compressed)) return kExtractFailed;
    lzo_uint produced = decompressed;
    int rc = lzo1x_decompress_safe(input.get(), compressed, output.get(), &produced, nullptr);
    // The stream must end with its marker and either use all its input or fill the
    // promised length; a short chunk would leave stale buffer bytes in the output.
    bool good = (rc == LZO_E_OK || (rc == LZO_E_INPUT_NOT_CONSUMED && produced == decompressed));
    if (!good) return rc < 0 ? rc : LZO_E_ERROR;
    if (produced != decompressed) return kExtractShortChunk;
    if (!sink.Write(output.get(), decompressed)) return kExtractFailed;
  }
  return kExtractWritten;
}

class TempFileSink final : public ByteSink {
 public:
  explicit TempFileSink(TempFileWriter& file) : file_(file) {}
  bool Write(const void* data, size_t size) override { return file_.Write(data, size); }

 private:
  TempFileWriter& file_;
};

}  // namespace

uint64_t ArchiveOffsetWordPosition(const ArchiveSource& source) {
  char head[kArchiveHeaderText.size()];
  if (source.ReadAt(0, head, sizeof head) &&
      std::string_view(head, sizeof head) == kArchiveHeaderText) {
    return kArchiveHeaderText.size();
  }
  return 0;
}

bool WalkArchiveDirectory(const ArchiveSource& source,
                          const std::function<bool(const ArchiveEntry&)>& visit) {
  const uint64_t size = source.Size();
  uint32_t directory = 0;
  uint32_t count = 0;
  if (!source.ReadWord(ArchiveOffsetWordPosition(source), &directory) ||
      !source.ReadWord(directory, &count)) {
    SetLastErrorCode(kErrorInvalidData);
    return false;
  }
  uint64_t pos = static_cast<uint64_t>(directory) + 4;
  ArchiveEntry entry;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t name_length = 0;
    if (!source.ReadWord(pos, &name_length)) break;
    // The whole entry must lie in the file; this also bounds the count by the file size.
    if (!Fits(pos, uint64_t{kArchiveEntryFixedBytes} + name_length, size)) break;
    entry.name_too_long = name_length > kMaxArchiveNameLength;
    entry.name.clear();
    if (!entry.name_too_long) {
      entry.name.resize(name_length);
      if (!source.ReadAt(pos + 4, entry.name.data(), name_length)) break;
    }
    const uint64_t fields = pos + 4 + name_length;
    if (!source.ReadWord(fields, &entry.first_size) ||
        !source.ReadWord(fields + 4, &entry.second_size) ||
        !source.ReadWord(fields + 8, &entry.data_offset)) {
      break;
    }
    pos += uint64_t{kArchiveEntryFixedBytes} + name_length;
    if (!visit(entry)) break;
  }
  return true;
}

bool FindArchiveEntry(const ArchiveSource& source, std::string_view name, ArchiveEntry* entry) {
  bool found = false;
  if (name.size() > kMaxArchiveNameLength) return false;
  WalkArchiveDirectory(source, [&](const ArchiveEntry& e) {
    if (e.name_too_long || !EqualsNoCase(e.name, name)) return true;
    *entry = e;
    found = true;
    return false;
  });
  if (!found) SetLastErrorCode(kErrorFileNotFound);
  return found;
}

int ExtractEntry(const ArchiveSource& source, const ArchiveEntry& entry, ByteSink& sink) {
  return entry.IsStored() ? CopyStoredEntry(source, entry, sink)
                          : DecompressChunkedEntry(source, entry, sink);
}

int ExtractArchiveEntry(const std::string& archivePath, std::string_view entryName,
                        const std::string& outputPath) {
  FileArchiveSource source;
  if (!source.Open(archivePath)) return kExtractFailed;
  ArchiveEntry entry;
  if (!FindArchiveEntry(source, entryName, &entry)) return kExtractFailed;

  TempFileWriter output;
  if (!output.Create(outputPath)) return kExtractFailed;
  TempFileSink sink(output);
  int result = ExtractEntry(source, entry, sink);
  if (result != kExtractWritten) {
    // Removing the temporary file keeps the extraction's own reason as the last error.
    output.Abandon();
    return result;
  }
  return output.Commit() ? kExtractWritten : kExtractFailed;
}

bool NameEndsWithGameType(std::string_view upper_name, std::string_view suffix) {
  size_t at = upper_name.find(suffix);
  return at != std::string_view::npos && at + suffix.size() == upper_name.size();
}

uint32_t GameTypesInDirectory(const ArchiveSource& source) {
  uint32_t bits = 0;
  std::string upper;
  WalkArchiveDirectory(source, [&](const ArchiveEntry& e) {
    if (e.name_too_long) return true;
    upper = e.name;
    for (char& c : upper) c = AsciiUpper(c);
    if (NameEndsWithGameType(upper, "/GAMETYPES/CONQUEST.CON")) bits |= 1;
    if (NameEndsWithGameType(upper, "/GAMETYPES/COOP.CON")) bits |= 2;
    return true;
  });
  return bits;
}

}  // namespace varnholt
