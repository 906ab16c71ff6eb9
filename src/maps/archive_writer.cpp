#include "maps/archive_writer.h"

#include <lzo/lzo1x.h>

#include <memory>

#include "maps/archive_reader.h"
#include "platform/files.h"
#include "platform/last_error.h"

namespace varnholt {
namespace {

void PutWord(std::string* out, uint64_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
  out->append(b, sizeof b);
}

}  // namespace

std::string BuildChunkBlock(const std::vector<ArchiveChunk>& chunks) {
  std::string block;
  PutWord(&block, chunks.size());
  uint64_t offset = 0;
  for (const ArchiveChunk& c : chunks) {
    PutWord(&block, c.bytes.size());
    PutWord(&block, c.decompressed_length);
    PutWord(&block, offset);
    offset += c.bytes.size();
  }
  for (const ArchiveChunk& c : chunks) block += c.bytes;
  return block;
}

void ArchiveWriter::AddStored(std::string name, std::string_view content) {
  const auto size = static_cast<uint32_t>(content.size());
  entries_.push_back({std::move(name), size, size, std::string(content)});
}

bool ArchiveWriter::AddCompressed(std::string name, std::string_view content, uint32_t chunk_size,
                                  bool store_if_larger) {
  if (chunk_size == 0 || chunk_size > kMaxChunkDecompressedLength) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  std::unique_ptr<unsigned char[]> work(new unsigned char[LZO1X_1_MEM_COMPRESS]);
  // Worst case growth of LZO1X-1 for incompressible input.
  std::unique_ptr<unsigned char[]> out(new unsigned char[chunk_size + chunk_size / 16 + 64 + 3]);
  std::vector<ArchiveChunk> chunks;
  for (size_t at = 0; at < content.size(); at += chunk_size) {
    const size_t n = std::min<size_t>(chunk_size, content.size() - at);
    lzo_uint written = 0;
    if (lzo1x_1_compress(reinterpret_cast<const unsigned char*>(content.data() + at), n, out.get(),
                         &written, work.get()) != LZO_E_OK) {
      SetLastErrorCode(kErrorInvalidData);
      return false;
    }
    chunks.push_back(
        {std::string(reinterpret_cast<char*>(out.get()), written), static_cast<uint32_t>(n)});
  }
  std::string block = BuildChunkBlock(chunks);
  if (block.size() == content.size() || (store_if_larger && block.size() > content.size())) {
    AddStored(std::move(name), content);
    return true;
  }
  const auto first = static_cast<uint32_t>(content.size());
  const auto second = static_cast<uint32_t>(block.size());
  entries_.push_back({std::move(name), first, second, std::move(block)});
  return true;
}

void ArchiveWriter::AddRawChunks(std::string name, std::vector<ArchiveChunk> chunks,
                                 uint32_t declared_size) {
  std::string block = BuildChunkBlock(chunks);
  const auto second = static_cast<uint32_t>(block.size());
  entries_.push_back({std::move(name), declared_size, second, std::move(block)});
}

bool ArchiveWriter::Build(std::string* archive) const {
  archive->clear();
  if (with_header_) archive->append(kArchiveHeaderText);
  const size_t offset_word = archive->size();
  PutWord(archive, 0);  // directory offset, filled in below
  std::vector<uint64_t> offsets;
  offsets.reserve(entries_.size());
  for (const Entry& e : entries_) {
    offsets.push_back(archive->size());
    *archive += e.data;
  }
  const uint64_t directory = archive->size();
  if (directory > UINT32_MAX) {
    SetLastErrorCode(kErrorInvalidParameter);
    return false;
  }
  std::string word;
  PutWord(&word, directory);
  archive->replace(offset_word, 4, word);
  PutWord(archive, entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    PutWord(archive, e.name.size());
    *archive += e.name;
    PutWord(archive, e.first_size);
    PutWord(archive, e.second_size);
    PutWord(archive, offsets[i]);
    archive->append(12, '\0');  // reserved
  }
  return true;
}

bool ArchiveWriter::WriteTo(const std::string& path) const {
  std::string archive;
  return Build(&archive) && WriteWholeFile(path, archive);
}

}  // namespace varnholt
