#include "supervisor/launch_command.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

using Words = std::vector<std::string>;

TEST(LaunchCommandTest, ThePrefixGoesBeforeTheServerWordByWord) {
  EXPECT_EQ(SplitLaunchPrefix(""), Words{});
  EXPECT_EQ(SplitLaunchPrefix("  wine  "), Words{"wine"});
  EXPECT_EQ(SplitLaunchPrefix("taskset -c 2\twine"), (Words{"taskset", "-c", "2", "wine"}));
  EXPECT_EQ(SplitLaunchPrefix("\"/opt/wine staging/bin/wine\" \"\""),
            (Words{"/opt/wine staging/bin/wine", ""}));
  EXPECT_EQ(ServerCommandLine({"wine"}, "/g/ashfront_w32ded.exe", true),
            (Words{"wine", "/g/ashfront_w32ded.exe", "+restart", "1", "+dedicated", "1",
                   "+hostServer", "1"}));
  EXPECT_EQ(ServerCommandLine({}, "/g/ashfront_w32ded.exe", false).back(), "0");
}

}  // namespace
}  // namespace varnholt
