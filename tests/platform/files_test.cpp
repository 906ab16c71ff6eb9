#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "platform/ip_address.h"
#include "platform/last_error.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(EnsureFileTest, CreatesFoldersAndKeepsOrEmptiesContent) {
  TempFolder tmp;
  std::string path = tmp.Sub("a/b/c/file.con");
  ASSERT_TRUE(EnsureFile(path, EnsureMode::kCreateIfMissing));
  EXPECT_EQ(FileSize(path), 0);

  tmp.Write("a/b/c/file.con", "keep me");
  ASSERT_TRUE(EnsureFile(path, EnsureMode::kCreateIfMissing));
  EXPECT_EQ(tmp.Read("a/b/c/file.con"), "keep me");

  ASSERT_TRUE(EnsureFile(path, EnsureMode::kTruncate));
  EXPECT_EQ(FileSize(path), 0);
}

TEST(EnsureFileTest, ClearsReadOnlyAndFailsOnlyWhenCreationFails) {
  TempFolder tmp;
  std::string path = tmp.Write("ro.con", "x");
  chmod(path.c_str(), 0444);
  ASSERT_TRUE(EnsureFile(path, EnsureMode::kCreateIfMissing));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);

  // A folder in the way of the file: creation fails and says why.
  tmp.Write("blocker", "file, not folder");
  EXPECT_FALSE(EnsureFile(tmp.Sub("blocker/inner.con"), EnsureMode::kCreateIfMissing));
  EXPECT_NE(GetLastErrorCode(), 0u);
}

TEST(FindPathNoCaseTest, MatchesEachPieceAndKeepsMissingPieces) {
  TempFolder tmp;
  tmp.Write("Mods/AshFront/Settings/ServerSettings.con", "");
  EXPECT_EQ(FindPathNoCase(tmp.path(), "mods/ashfront/settings/serversettings.CON"),
            tmp.Sub("Mods/AshFront/Settings/ServerSettings.con"));
  EXPECT_EQ(FindPathNoCase(tmp.path(), "MODS/ashfront/settings/New.con"),
            tmp.Sub("Mods/AshFront/Settings/New.con"));
  EXPECT_EQ(FindPathNoCase(tmp.path(), "nothere/x"), tmp.Sub("nothere/x"));
}

TEST(WriteWholeFileTest, ReplacesAtomicallyAndLeavesNoTemporaries) {
  TempFolder tmp;
  std::string path = tmp.Write("f.con", "old");
  ASSERT_TRUE(WriteWholeFile(path, "new contents"));
  EXPECT_EQ(tmp.Read("f.con"), "new contents");
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(tmp.path(), &names));
  EXPECT_EQ(names.size(), 1u);

  // Into a folder that does not exist: fails, and reports the reason.
  EXPECT_FALSE(WriteWholeFile(tmp.Sub("missing/f.con"), "x"));
  EXPECT_EQ(GetLastErrorCode(), static_cast<uint32_t>(kErrorFileNotFound));
}

TEST(ReadWholeFileTest, BoundsTheSize) {
  TempFolder tmp;
  std::string path = tmp.Write("big", std::string(100, 'x'));
  std::string data;
  EXPECT_TRUE(ReadWholeFile(path, &data, 100));
  EXPECT_FALSE(ReadWholeFile(path, &data, 99));
}

TEST(IpAddressTest, TextAndNumberRoundTrip) {
  EXPECT_EQ(IpFromText("192.168.1.20"), 0xC0A80114u);
  EXPECT_EQ(IpToText(0xC0A80114u), "192.168.1.20");
  EXPECT_EQ(IpFromText("127.0.0.1"), kLoopbackAddress);
  EXPECT_EQ(IpFromText(""), 0u);
  EXPECT_EQ(IpFromText("10.1"), 0x0A010000u);
  // A piece above 255 cannot spill into its neighbour.
  EXPECT_EQ(IpFromText("1.300.2.3"), 0x01FF0203u);
}

TEST(LastErrorTest, MapsErrnoAndIsPerThread) {
  EXPECT_EQ(ErrnoToCode(ENOENT), static_cast<uint32_t>(kErrorFileNotFound));
  EXPECT_EQ(ErrnoToCode(ETIMEDOUT), static_cast<uint32_t>(kWsaTimedOut));
  EXPECT_EQ(ErrnoToCode(ECONNRESET), static_cast<uint32_t>(kWsaConnectionReset));
  SetLastErrorCode(5);
  std::thread([] { EXPECT_EQ(GetLastErrorCode(), 0u); }).join();
  EXPECT_EQ(GetLastErrorCode(), 5u);
}

}  // namespace
}  // namespace varnholt
