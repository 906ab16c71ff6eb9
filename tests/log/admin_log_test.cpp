// AdminLog.csv as a spreadsheet reads it: the header once, CR LF line ends, every record with
// ten columns even when names hold quotes and reasons hold commas.
#include "log/admin_log.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "support/file_text.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

std::string Read(const std::string& path) {
  return testing::ReadFileText(path);
}

AdminLogRecord Kick() {
  AdminLogRecord r;
  r.player = "Anna";
  r.address = "10.0.0.7";
  r.keyhash = "0123456789abcdef0123456789abcdef";
  r.admin = "operator";
  r.time = 1089648000;
  r.map = "harbour";
  r.action = "kick";
  return r;
}

TEST(AdminLogTest, HeaderOnlyOnEmptyFileAndUnknownFields) {
  testing::TempFolder folder;
  AdminLog log(folder.path(), true);
  log.WriteAdminLog(Kick());
  AdminLogRecord ban = Kick();
  ban.action = "ban";
  ban.expires = ban.time + 3600;
  ban.reason = "camping";
  log.WriteAdminLog(ban);
  EXPECT_EQ(Read(log.Path()),
            std::string(kAdminLogHeader) +
                "\r\n"
                "\"Anna\",10.0.0.7,0123456789abcdef0123456789abcdef,[unknown],\"operator\","
                "1089648000,harbour,kick,0,[unknown]\r\n"
                "\"Anna\",10.0.0.7,0123456789abcdef0123456789abcdef,[unknown],\"operator\","
                "1089648000,harbour,ban,1089651600,camping\r\n");

  // An existing empty file gets the header too.
  AdminLog other(folder.path() + "/sub", true);
  ASSERT_TRUE(EnsureFile(other.Path(), EnsureMode::kTruncate));
  other.WriteAdminLog(Kick());
  EXPECT_EQ(Read(other.Path()).rfind(kAdminLogHeader, 0), 0u);
}

TEST(AdminLogTest, DisabledWritesNothing) {
  testing::TempFolder folder;
  AdminLog log(folder.path(), false);
  log.WriteAdminLog(Kick());
  EXPECT_FALSE(FileExists(log.Path()));
}

TEST(AdminLogTest, QuotesAndCommasKeepTheColumns) {
  AdminLogRecord r = Kick();
  r.player = "The \"Boss\"";
  r.admin = "a,b";
  r.reason = "spam, abuse\r\nand more";
  EXPECT_EQ(AdminLog::FormatRecord(r),
            "\"The \"\"Boss\"\"\",10.0.0.7,0123456789abcdef0123456789abcdef,[unknown],\"a,b\","
            "1089648000,harbour,kick,0,spam; abuse  and more");
}

}  // namespace
}  // namespace varnholt
