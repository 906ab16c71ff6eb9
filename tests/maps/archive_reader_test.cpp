#include "maps/archive_reader.h"

#include <gtest/gtest.h>
#include <lzo/lzoconf.h>

#include "maps/archive_writer.h"
#include "maps_test_support.h"
#include "platform/files.h"
#include "platform/last_error.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::BuildArchive;
using testing::LzoCompress;
using testing::NoiseBytes;
using testing::PatternText;
using testing::TempFolder;

void PutWordAt(std::string* bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

class ArchiveReaderTest : public ::testing::Test {
 protected:
  // Writes the archive and extracts `entry` to out.bin, returning the result.
  int Extract(const std::string& archive, const std::string& entry) {
    const std::string path = tmp_.Write("game.rfa", archive);
    return ExtractArchiveEntry(path, entry, tmp_.Sub("out.bin"));
  }
  bool OutputExists() const { return FileExists(tmp_.Sub("out.bin")); }
  // Nothing but the archive (and a deliberate output) may remain: no temporary files.
  size_t FilesInFolder() const {
    std::vector<std::string> names;
    return ListFolder(tmp_.path(), &names) ? names.size() : SIZE_MAX;
  }

  TempFolder tmp_;
};

TEST_F(ArchiveReaderTest, StoredAndChunkedEntriesRoundTripWithAndWithoutHeader) {
  const std::string text = PatternText(100'000);  // four chunks, the last one short
  const std::string noise = NoiseBytes(70'000);   // LZO output larger than its input
  for (bool header : {false, true}) {
    SCOPED_TRACE(header ? "with header" : "without header");
    ArchiveWriter writer(header);
    writer.AddStored("AshFront/readme.txt", std::string("plain bytes\r\n\0kept", 18));
    ASSERT_TRUE(writer.AddCompressed("AshFront/game/Text.con", text));
    ASSERT_TRUE(writer.AddCompressed("AshFront/game/Noise.bin", noise, 1000));
    writer.AddStored("AshFront/big.bin", noise);
    const std::string archive = BuildArchive(writer);
    EXPECT_EQ(archive.compare(0, 28, kArchiveHeaderText) == 0, header);

    ASSERT_EQ(Extract(archive, "AshFront/game/Text.con"), kExtractWritten);
    EXPECT_EQ(tmp_.Read("out.bin"), text);
    ASSERT_EQ(Extract(archive, "ashfront/GAME/noise.bin"), kExtractWritten);
    EXPECT_EQ(tmp_.Read("out.bin"), noise);
    ASSERT_EQ(Extract(archive, "AshFront/big.bin"), kExtractWritten);
    EXPECT_EQ(tmp_.Read("out.bin"), noise);
    EXPECT_EQ(FilesInFolder(), 2u);
  }
}

TEST_F(ArchiveReaderTest, StoredEntryIsCopiedByteForByte) {
  ArchiveWriter writer;
  const std::string bytes("\0\x01\xff rest\n", 9);
  writer.AddStored("a", bytes);
  ASSERT_EQ(Extract(BuildArchive(writer), "A"), kExtractWritten);
  EXPECT_EQ(tmp_.Read("out.bin"), bytes);
}

TEST_F(ArchiveReaderTest, ZeroChunksGiveAnEmptyFile) {
  ArchiveWriter writer;
  writer.AddRawChunks("empty.con", {}, 0);
  ASSERT_EQ(Extract(BuildArchive(writer), "empty.con"), kExtractWritten);
  EXPECT_TRUE(OutputExists());
  EXPECT_EQ(tmp_.Read("out.bin"), "");
}

TEST_F(ArchiveReaderTest, MissingArchiveEntryOrOutputFolderGiveZero) {
  ArchiveWriter writer;
  writer.AddStored("present", "x");
  const std::string path = tmp_.Write("game.rfa", BuildArchive(writer));
  EXPECT_EQ(ExtractArchiveEntry(tmp_.Sub("none.rfa"), "present", tmp_.Sub("out.bin")), 0);
  EXPECT_EQ(GetLastErrorCode(), kErrorFileNotFound);
  EXPECT_EQ(ExtractArchiveEntry(path, "absent", tmp_.Sub("out.bin")), 0);
  EXPECT_EQ(ExtractArchiveEntry(path, "present", tmp_.Sub("no/such/out.bin")), 0);
  EXPECT_FALSE(OutputExists());
}

TEST_F(ArchiveReaderTest, ChunkEndingEarlyWithInputLeftOverFails) {
  const std::string part = "short content";
  ArchiveWriter writer;
  // Trailing bytes after the end marker, and a promised length the stream never reaches.
  writer.AddRawChunks("e", {{LzoCompress(part) + "junk", 100}}, 100);
  EXPECT_EQ(Extract(BuildArchive(writer), "e"), LZO_E_INPUT_NOT_CONSUMED);
  EXPECT_FALSE(OutputExists());
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ArchiveReaderTest, TrailingInputIsAcceptedWhenTheLengthIsReached) {
  const std::string part = PatternText(5000);
  ArchiveWriter writer;
  writer.AddRawChunks("e", {{LzoCompress(part) + "pad", 5000}}, 5000 + 1);
  ASSERT_EQ(Extract(BuildArchive(writer), "e"), kExtractWritten);
  EXPECT_EQ(tmp_.Read("out.bin"), part);
}

TEST_F(ArchiveReaderTest, ShortChunkNeverWritesStaleBufferBytes) {
  ArchiveWriter writer;
  writer.AddRawChunks("e", {{LzoCompress("abc"), 3}, {LzoCompress("de"), 40}}, 43);
  EXPECT_EQ(Extract(BuildArchive(writer), "e"), kExtractShortChunk);
  EXPECT_FALSE(OutputExists());
}

TEST_F(ArchiveReaderTest, FailedExtractionKeepsThePreviousOutput) {
  tmp_.Write("out.bin", "previous");
  std::string stream = LzoCompress(PatternText(4000));
  stream[stream.size() / 2] ^= 0x5A;
  stream.resize(stream.size() - 3);  // also loses the end marker
  ArchiveWriter writer;
  writer.AddRawChunks("e", {{LzoCompress("good"), 4}, {stream, 4000}}, 4004);
  const int result = Extract(BuildArchive(writer), "e");
  EXPECT_LT(result, 0);
  EXPECT_EQ(tmp_.Read("out.bin"), "previous");
  EXPECT_EQ(FilesInFolder(), 2u);
}

// Layout of a one-entry archive without header whose entry is chunked: offset word, then
// at 4 the chunk count, at 8 the first record (compressed, decompressed, offset), at 20 the
// first chunk's bytes.
std::string OneChunkArchive() {
  ArchiveWriter writer;
  writer.AddRawChunks("entry", {{LzoCompress("hello"), 5}}, 5);
  return BuildArchive(writer);
}

TEST_F(ArchiveReaderTest, OutOfBoundsChunkValuesAreRefused) {
  ASSERT_EQ(Extract(OneChunkArchive(), "entry"), kExtractWritten);
  RemoveFile(tmp_.Sub("out.bin"));
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"chunk count whose table passes the end", 4, 0x40000000},
      {"largest chunk count", 4, 0xFFFFFFFF},
      {"compressed length beyond the input buffer", 8, 0xC001},
      {"decompressed length beyond the output buffer", 12, 32773},
      {"chunk bytes past the end of the file", 16, 0xFFFFFFF0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string archive = OneChunkArchive();
    PutWordAt(&archive, c.at, c.value);
    EXPECT_EQ(Extract(archive, "entry"), kExtractFailed);
    EXPECT_FALSE(OutputExists());
  }
}

TEST_F(ArchiveReaderTest, OutOfBoundsDirectoryValuesAreRefused) {
  ArchiveWriter writer;
  writer.AddStored("first", "1234");
  writer.AddStored("second", "5678");
  const std::string good = BuildArchive(writer);
  const uint32_t directory = 4 + 8;
  ASSERT_EQ(Extract(good, "second"), kExtractWritten);

  std::string archive = good;
  PutWordAt(&archive, 0, 0xFFFFFFFE);  // directory offset past the end
  EXPECT_EQ(Extract(archive, "first"), kExtractFailed);

  archive = good;
  PutWordAt(&archive, directory, 0xFFFFFFFF);  // count far beyond the entries present
  EXPECT_EQ(Extract(archive, "second"), kExtractWritten);
  EXPECT_EQ(Extract(archive, "third"), kExtractFailed);

  archive = good;
  PutWordAt(&archive, directory + 4, 0xFFFFFFF0);  // first name length runs off the file
  EXPECT_EQ(Extract(archive, "first"), kExtractFailed);

  archive = good;
  PutWordAt(&archive, directory + 4 + 4 + 5, 0x7FFFFFFF);  // stored size past the end
  PutWordAt(&archive, directory + 4 + 4 + 5 + 4, 0x7FFFFFFF);
  EXPECT_EQ(Extract(archive, "first"), kExtractFailed);

  EXPECT_EQ(Extract(good, std::string(600, 'n')), kExtractFailed);
  EXPECT_EQ(Extract(std::string("\x01\x02", 2), "first"), kExtractFailed);
}

TEST_F(ArchiveReaderTest, OverlongNamesAreSkippedNotMatched) {
  ArchiveWriter writer;
  writer.AddStored(std::string(600, 'x') + "/GameTypes/Conquest.con", "a");
  writer.AddStored("after", "b");
  const std::string archive = BuildArchive(writer);
  MemoryArchiveSource source(archive);
  std::vector<std::string> seen;
  ASSERT_TRUE(WalkArchiveDirectory(source, [&](const ArchiveEntry& e) {
    seen.push_back(e.name_too_long ? "<long>" : e.name);
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"<long>", "after"}));
  EXPECT_EQ(GameTypesInDirectory(source), 0u);
  EXPECT_EQ(Extract(archive, "after"), kExtractWritten);
}

TEST(ArchiveGameTypesTest, FindsGameTypeFilesAtTheEndOfNamesInAnyCase) {
  for (bool header : {false, true}) {
    ArchiveWriter writer(header);
    writer.AddStored("levels/hue/info/hue.desc", "x");
    writer.AddStored("levels/hue/gametypes/conquest.con", "x");
    writer.AddStored("Levels/Hue/GameTypes/Coop.con.bak", "x");
    const std::string archive = BuildArchive(writer);
    EXPECT_EQ(GameTypesInDirectory(MemoryArchiveSource(archive)), 1u) << header;

    writer.AddStored("Levels/Hue/GameTypes/Coop.con", "x");
    const std::string both = BuildArchive(writer);
    EXPECT_EQ(GameTypesInDirectory(MemoryArchiveSource(both)), 3u) << header;
  }
  EXPECT_TRUE(NameEndsWithGameType("A/GAMETYPES/COOP.CON", "/GAMETYPES/COOP.CON"));
  EXPECT_FALSE(NameEndsWithGameType("GAMETYPES/COOP.CON", "/GAMETYPES/COOP.CON"));
  // Only the first occurrence counts.
  EXPECT_FALSE(
      NameEndsWithGameType("A/GAMETYPES/COOP.CON/GAMETYPES/COOP.CON", "/GAMETYPES/COOP.CON"));
}

TEST(ArchiveWriterTest, RefusesChunkSizesTheReaderCannotHold) {
  ArchiveWriter writer;
  EXPECT_FALSE(writer.AddCompressed("a", "abc", 0));
  EXPECT_FALSE(writer.AddCompressed("a", "abc", kMaxChunkDecompressedLength + 1));
  EXPECT_TRUE(writer.AddCompressed("a", "abc", kMaxChunkDecompressedLength));
  EXPECT_EQ(writer.EntryCount(), 1u);
}

}  // namespace
}  // namespace varnholt
