#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

TEST(IniFileTest, ReadsIgnoringCaseAndWritesInPlace) {
  testing::TempFolder tmp;
  IniFile ini(tmp.Write("a.ini", "[One]\r\nKey = value one \r\n[two]\nkey=2\n"));
  EXPECT_EQ(ini.ReadString("one", "KEY", "d"), "value one");
  EXPECT_EQ(ini.ReadString("TWO", "key", "d"), "2");
  EXPECT_EQ(ini.ReadString("two", "missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("one", "key", "d", 5), "value");
  ASSERT_TRUE(ini.WriteString("one", "key", "new"));
  ASSERT_TRUE(ini.WriteString("one", "added", "x"));
  ASSERT_TRUE(ini.WriteString("three", "k", "v"));
  EXPECT_EQ(tmp.Read("a.ini"),
            "[One]\r\nKey=new\r\nadded=x\r\n[two]\r\nkey=2\r\n[three]\r\nk=v\r\n");
}

}  // namespace
}  // namespace varnholt
