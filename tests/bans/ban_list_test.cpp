// ServerBanList.con: the reading rules (quoted `*`, collapsing delimiters, fields that start
// with `*`, cut reasons, short lines), round trips through save and load, and texts that
// used to make a line unreadable.
#include "bans/ban_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "bans/ban_file_format.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/file_text.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";

std::string Read(const std::string& path) {
  return testing::ReadFileText(path);
}

struct BanListFixture : ::testing::Test {
  testing::TempFolder folder;
  ManualClock clock;
  EventLog log{folder.path(), clock};
  BanList list{log};
  std::string path = folder.Sub("Mods/ashfront/Settings/ServerBanList.con");
};

TEST_F(BanListFixture, ReadingRules) {
  folder.Write("Mods/ashfront/Settings/ServerBanList.con",
               "\"*\",1.2.3.4,*,*,\"operator\",0,0,unknown reason\n"
               "\"*Star\",*,0123456789abcdef0123456789abcdef,*,\"op\",5,6,*\r\n"
               "\"seven\",1.1.1.1,*,*,\"op\",1,2\n"
               "\"comma\",2.2.2.2,*,*,\"op\",1,x9,spam, abuse\n"
               "\n"
               "\"\",3.3.3.3,*,*,\"op\",1,2,r\n");
  ASSERT_TRUE(list.LoadBanList(path));
  std::vector<BanRecord> r = list.Records();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0], (BanRecord{"", "1.2.3.4", "", "", "operator", 0, 0, "unknown reason"}));
  EXPECT_EQ(BanTimeText(r[0].bantime), "[unknown]");
  EXPECT_EQ(ExpiresText(r[0].expires), "Permanent");
  EXPECT_EQ(r[1], (BanRecord{"*Star", "", kHash, "", "op", 5, 6, ""}));
  // The reason is cut at its comma; a time that is not a number reads as 0.
  EXPECT_EQ(r[2], (BanRecord{"comma", "2.2.2.2", "", "", "op", 1, 0, "spam"}));
}

TEST_F(BanListFixture, EmptyAndMissingFiles) {
  list.Append(BanRecord{"x", "9.9.9.9", "", "", "op", 1, 0, "r"});
  EXPECT_FALSE(list.LoadBanList(folder.Sub("missing.con")));
  EXPECT_EQ(list.Size(), 1u);  // an unopenable file leaves the list as it was

  folder.Write("empty.con", "");
  ASSERT_TRUE(list.LoadBanList(folder.Sub("empty.con")));
  EXPECT_EQ(list.Size(), 0u);
  ASSERT_TRUE(list.SaveBanList(path));  // creates the missing folders
  EXPECT_EQ(Read(path), "");
}

TEST_F(BanListFixture, RoundTripKeepsEveryFieldAcrossSummerTime) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", "CET-1CEST,M3.5.0/2,M10.5.0/3", 1);
  // A winter ban time with a summer expiry, and the other way round; 2100 needs 64 bits.
  std::vector<BanRecord> records = {
      {"Anna", "10.0.0.1", kHash, "", "operator", 1074000000, 1089648000, "camping"},
      {"[unknown]", "", "", "fedcba9876543210fedcba9876543210", "op", 1089648000, 1099000000, "r"},
      {"Far", "10.0.0.2", "", "", "op", 1700000000, 4102444800, "long"},
  };
  list.Replace(records);
  ASSERT_TRUE(list.SaveBanList(path));
  std::string first = Read(path);
  BanList again(log);
  ASSERT_TRUE(again.LoadBanList(path));
  EXPECT_EQ(again.Records(), records);
  ASSERT_TRUE(again.SaveBanList(path));
  EXPECT_EQ(Read(path), first);
  EXPECT_NE(first.find(",1074000000,1089648000,camping\n"), std::string::npos);
  if (old) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST_F(BanListFixture, TextsThatBrokeTheLineAreReplacedOnWrite) {
  BanRecord r{"The \"Boss\"", "1.2.3.4", "", "", "ad\"min", 1, 0, "spam, abuse\nmore"};
  list.Append(r);
  ASSERT_TRUE(list.SaveBanList(path));
  EXPECT_EQ(Read(path), "\"The 'Boss'\",1.2.3.4,*,*,\"ad'min\",1,0,spam; abusemore\n");
  ASSERT_TRUE(list.LoadBanList(path));
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(list.Records()[0].player, "The 'Boss'");
  EXPECT_EQ(list.Records()[0].reason, "spam; abusemore");
  // Overlong texts are cut to their widths.
  BanRecord wide{std::string(40, 'p'), "1.2.3.4", "", "",
                 std::string(40, 'a'), 0,         0,  std::string(80, 'r')};
  std::string line = FormatBanLine(wide);
  BanRecord back;
  ASSERT_TRUE(ParseBanLine(line, &back));
  EXPECT_EQ(back.player.size(), 31u);
  EXPECT_EQ(back.admin.size(), 31u);
  EXPECT_EQ(back.reason.size(), 62u);
}

TEST(BanFileFormatTest, LongLinesAreReadInPieces) {
  std::string text = std::string(2000, 'x') + "\n\"a\",1.2.3.4,*,*,\"op\",0,0,r";
  std::vector<BanRecord> r = ParseBanListText(text);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].address, "1.2.3.4");
  EXPECT_EQ(ParseBanTime("99999999999999999999999"), 0);
  EXPECT_EQ(ParseBanTime("-5"), -5);
}

}  // namespace
}  // namespace varnholt
