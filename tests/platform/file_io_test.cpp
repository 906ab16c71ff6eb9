#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/last_error.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(ReadOnlyFileTest, ReadsAtOffsetsAndRefusesToReadPastTheEnd) {
  TempFolder tmp;
  std::string path = tmp.Write("data.bin", "0123456789");
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(file.Size(), 10u);

  char buf[4] = {};
  ASSERT_TRUE(file.ReadAt(6, buf, 4));
  EXPECT_EQ(std::string(buf, 4), "6789");
  ASSERT_TRUE(file.ReadAt(0, buf, 0));

  SetLastErrorCode(0);
  EXPECT_FALSE(file.ReadAt(7, buf, 4));
  EXPECT_EQ(GetLastErrorCode(), kErrorReadFault);
  EXPECT_FALSE(file.ReadAt(uint64_t{1} << 40, buf, 1));
  EXPECT_EQ(GetLastErrorCode(), kErrorReadFault);

  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.ReadAt(0, buf, 1));
}

TEST(ReadOnlyFileTest, SequentialReadsFillEachPieceAndEndWithZero) {
  TempFolder tmp;
  std::string path = tmp.Write("data.txt", std::string(2500, 'x'));
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(path));
  std::vector<size_t> pieces;
  char block[1024];
  for (;;) {
    size_t got = 99;
    ASSERT_TRUE(file.Read(block, sizeof block, &got));
    pieces.push_back(got);
    if (got < sizeof block) break;
  }
  EXPECT_EQ(pieces, (std::vector<size_t>{1024, 1024, 452}));
  size_t got = 99;
  ASSERT_TRUE(file.Read(block, sizeof block, &got));
  EXPECT_EQ(got, 0u);
}

TEST(ReadOnlyFileTest, OpenFailuresSetTheLastError) {
  TempFolder tmp;
  ReadOnlyFile file;
  SetLastErrorCode(0);
  EXPECT_FALSE(file.Open(tmp.Sub("missing.txt")));
  EXPECT_EQ(GetLastErrorCode(), kErrorFileNotFound);
  EXPECT_FALSE(file.IsOpen());

  // A folder opens unless refused, but reading it fails.
  ASSERT_TRUE(CreateFolders(tmp.Sub("folder")));
  EXPECT_FALSE(file.Open(tmp.Sub("folder"), ReadOnlyFile::Folders::kRefuse));
  EXPECT_EQ(GetLastErrorCode(), kErrorAccessDenied);
  ASSERT_TRUE(file.Open(tmp.Sub("folder")));
  char buf[8];
  size_t got = 0;
  SetLastErrorCode(0);
  EXPECT_FALSE(file.Read(buf, sizeof buf, &got));
  EXPECT_EQ(GetLastErrorCode(), kErrorAccessDenied);

  // Opening again replaces the file held.
  ASSERT_TRUE(file.Open(tmp.Write("b.txt", "bb")));
  EXPECT_EQ(file.Size(), 2u);
}

TEST(TempFileWriterTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
  TempFolder tmp;
  std::string target = tmp.Write("out.con", "old contents");
  TempFileWriter writer;
  ASSERT_TRUE(writer.Create(target));
  std::string temp = writer.temp_path();
  EXPECT_TRUE(FileExists(temp));
  ASSERT_TRUE(writer.Write("new ", 4));
  ASSERT_TRUE(writer.Write("bytes", 5));
  // Nothing reaches the target before the commit.
  EXPECT_EQ(tmp.Read("out.con"), "old contents");
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(tmp.Read("out.con"), "new bytes");
  EXPECT_FALSE(FileExists(temp));
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(tmp.path(), &names));
  EXPECT_EQ(names, std::vector<std::string>{"out.con"});
}

TEST(TempFileWriterTest, AbandonAndDestructionKeepTheOldTargetAndTheLastError) {
  TempFolder tmp;
  std::string target = tmp.Write("out.con", "old");
  {
    TempFileWriter writer;
    ASSERT_TRUE(writer.Create(target));
    ASSERT_TRUE(writer.Write("partial", 7));
    SetLastErrorCode(kErrorInvalidData);
    writer.Abandon();
    EXPECT_EQ(GetLastErrorCode(), kErrorInvalidData);
    EXPECT_FALSE(writer.Commit());

    ASSERT_TRUE(writer.Create(target));
    ASSERT_TRUE(writer.Write("partial", 7));
  }
  EXPECT_EQ(tmp.Read("out.con"), "old");
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(tmp.path(), &names));
  EXPECT_EQ(names, std::vector<std::string>{"out.con"});
}

TEST(TempFileWriterTest, FailedCommitLeavesTargetUntouchedAndNoTemporaryFile) {
  TempFolder tmp;
  // A folder with an entry cannot be replaced by a file.
  tmp.Write("target/keep.txt", "kept");
  TempFileWriter writer;
  ASSERT_TRUE(writer.Create(tmp.Sub("target")));
  ASSERT_TRUE(writer.Write("data", 4));
  SetLastErrorCode(0);
  EXPECT_FALSE(writer.Commit());
  EXPECT_NE(GetLastErrorCode(), 0u);
  EXPECT_EQ(tmp.Read("target/keep.txt"), "kept");
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(tmp.path(), &names));
  EXPECT_EQ(names, std::vector<std::string>{"target"});
  EXPECT_TRUE(writer.temp_path().empty());
}

TEST(TempFileWriterTest, CreateFailsWhenTheFolderIsMissing) {
  TempFolder tmp;
  TempFileWriter writer;
  SetLastErrorCode(0);
  EXPECT_FALSE(writer.Create(tmp.Sub("no/such/folder/out.con")));
  EXPECT_EQ(GetLastErrorCode(), kErrorFileNotFound);
  EXPECT_FALSE(writer.Write("x", 1));
}

}  // namespace
}  // namespace varnholt
