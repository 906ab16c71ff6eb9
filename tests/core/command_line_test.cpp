#include "core/command_line.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

TEST(CommandLineTest, FlagsAreCaseInsensitiveAndUnknownWordsIgnored) {
  CommandLine cl = ParseCommandLine({"-START", "-Debug", "-timing", "-adminlog", "-statuslog",
                                     "-messagelog", "-exit", "-quiet", "-bogus", "/?"},
                                    8);
  EXPECT_TRUE(cl.start && cl.debug && cl.timing && cl.admin_log && cl.status_log &&
              cl.message_log && cl.exit_stops_server && cl.quiet && cl.show_usage);
  EXPECT_FALSE(cl.stop);
}

TEST(CommandLineTest, ValuesOfIpAndPort) {
  CommandLine cl = ParseCommandLine({"-ip", "10.0.0.5", "-port", "16000"}, 8);
  EXPECT_TRUE(cl.ip_given);
  EXPECT_EQ(cl.ip, "10.0.0.5");
  EXPECT_EQ(cl.port, 16000);

  // A following option word is consumed but neither taken as value nor examined.
  cl = ParseCommandLine({"-ip", "-start", "-port", "-stop"}, 8);
  EXPECT_FALSE(cl.ip_given);
  EXPECT_FALSE(cl.start);
  EXPECT_FALSE(cl.stop);
  EXPECT_EQ(cl.port, kDefaultListenPort);

  // As the last word they change nothing.
  cl = ParseCommandLine({"-start", "-port"}, 8);
  EXPECT_TRUE(cl.start);
  EXPECT_EQ(cl.port, kDefaultListenPort);

  // A port that is not a port keeps the default.
  EXPECT_EQ(ParseCommandLine({"-port", "70000"}, 8).port, kDefaultListenPort);
  EXPECT_EQ(ParseCommandLine({"-port", "12ab"}, 8).port, kDefaultListenPort);
}

TEST(CommandLineTest, AboveNormalNeedsANewEnoughSystem) {
  CommandLine old_system = ParseCommandLine({"-abovenormal"}, 4);
  EXPECT_FALSE(old_system.above_normal);
  EXPECT_TRUE(old_system.above_normal_refused);
  EXPECT_TRUE(ParseCommandLine({"-abovenormal"}, 5).above_normal);
}

TEST(CommandLineTest, SplitKeepsQuotedPathAndSkipsIt) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Varnholt.exe\" -ip  1.2.3.4 -start"),
            (std::vector<std::string>{"-ip", "1.2.3.4", "-start"}));
  EXPECT_TRUE(SplitCommandLine("varnholt").empty());
}

}  // namespace
}  // namespace varnholt
