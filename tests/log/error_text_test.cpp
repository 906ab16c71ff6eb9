#include "log/error_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"

namespace varnholt {
namespace {

TEST(ErrorTextTest, FormsOfEachCodeRange) {
  EXPECT_STREQ(ErrorText(0), "");
  EXPECT_STREQ(ErrorText(30019), "An unknown error has occured. (30019)");
  EXPECT_STREQ(ErrorText(30011), "The Remote Console username and/or password is invalid.");
  EXPECT_STREQ(ErrorText(30001),
               "Client and server are using different protocol versions.\nAlways use the same "
               "version of Varnholt and Varnlink.");
  // System and socket codes: the text, a blank and the code in parentheses on one line.
  std::string timeout = ErrorText(10060);
  EXPECT_EQ(timeout.find('\n'), std::string::npos);
  EXPECT_TRUE(timeout.ends_with(" (10060)")) << timeout;
  std::string missing = ErrorText(2);
  EXPECT_EQ(missing, "The system cannot find the file specified. (2)");
  EXPECT_STREQ(ErrorText(9999), "An unknown error has occured. (9999)");
}

TEST(KeyhashTest, LengthIsTestedBeforeDigits) {
  EXPECT_FALSE(IsValidKeyhash(std::string(31, 'a')));
  EXPECT_EQ(GetLastErrorCode(), 30017u);
  EXPECT_FALSE(IsValidKeyhash(std::string(33, 'g')));
  EXPECT_EQ(GetLastErrorCode(), 30017u);
  std::string bad(32, '0');
  bad[17] = 'g';
  EXPECT_FALSE(IsValidKeyhash(bad));
  EXPECT_EQ(GetLastErrorCode(), 30018u);
  EXPECT_TRUE(IsValidKeyhash("0123456789abcdefABCDEF0123456789"));
}

}  // namespace
}  // namespace varnholt
