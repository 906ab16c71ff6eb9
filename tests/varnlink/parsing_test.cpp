// varnlink's parsers of what a user types or keeps in files: the command line, the config
// file, ban durations and identities, and the texts built from them for the wire.
#include <gtest/gtest.h>

#include "varnlink/arguments.h"
#include "varnlink/client.h"
#include "varnlink/config_file.h"
#include "varnlink/duration.h"
#include "varnlink/exit_codes.h"
#include "varnlink/output.h"
#include "varnlink/request_texts.h"

namespace varnholt::varnlink {
namespace {

TEST(VarnlinkArguments, ConnectionOptionsMayStandOnEitherSideOfTheCommand) {
  Invocation call;
  std::string error;
  ASSERT_TRUE(ParseArguments(
      {"-H", "192.0.2.1", "-p", "16000", "kick", "3", "too", "-u", "bob", "--json", "--", "-rude"},
      &call, &error))
      << error;
  EXPECT_EQ(call.host, "192.0.2.1");
  EXPECT_EQ(call.port, 16000);
  EXPECT_EQ(call.user, "bob");
  EXPECT_TRUE(call.json);
  EXPECT_EQ(call.command, "kick");
  EXPECT_EQ(call.args, (std::vector<std::string>{"3", "too", "--", "-rude"}));
  // The command's own options stay in order for it.
  ASSERT_TRUE(ParseArguments({"ban", "--for", "2h", "--guid", "G"}, &call, &error));
  EXPECT_EQ(call.args, (std::vector<std::string>{"--for", "2h", "--guid", "G"}));
}

TEST(VarnlinkArguments, MistakesAreRefusedWithAReason) {
  Invocation call;
  std::string error;
  EXPECT_FALSE(ParseArguments({}, &call, &error));
  EXPECT_NE(error.find("no command"), std::string::npos);
  EXPECT_FALSE(ParseArguments({"status", "-p"}, &call, &error));
  EXPECT_NE(error.find("needs a value"), std::string::npos);
  for (const char* port : {"0", "65536", "12a", "", "-1", "999999"}) {
    EXPECT_FALSE(ParseArguments({"-p", port, "status"}, &call, &error)) << port;
  }
  EXPECT_FALSE(ParseArguments({"--frobnicate", "status"}, &call, &error));
  EXPECT_TRUE(ParseArguments({"--help"}, &call, &error));
  EXPECT_TRUE(call.help);
}

TEST(VarnlinkDuration, UnitsAndSumsParseAndNonsenseIsRefused) {
  int64_t s = 0;
  EXPECT_TRUE(ParseDuration("90", &s));
  EXPECT_EQ(s, 90);
  EXPECT_TRUE(ParseDuration("45m", &s));
  EXPECT_EQ(s, 45 * 60);
  EXPECT_TRUE(ParseDuration("1d12h", &s));
  EXPECT_EQ(s, 36 * 3600);
  EXPECT_TRUE(ParseDuration("2w", &s));
  EXPECT_EQ(s, 14 * 86400);
  for (const char* bad : {"", "h", "0", "0h", "12x", "1h30", "-5m", "1.5h", "99999999999999999999d",
                          "36501d", " 5m"}) {
    EXPECT_FALSE(ParseDuration(bad, &s)) << bad;
  }
  EXPECT_TRUE(ParseDuration("36500d", &s));
}

TEST(VarnlinkConfig, ProfilesCarryTheirKeysAndTheDefaultNeedsNoSection) {
  Profiles profiles;
  std::string error;
  ASSERT_TRUE(
      ParseConfig("# mine\nuser = me\n\n[home]\r\nhost=192.0.2.7\nport = 15700\n"
                  "user = admin\npassword =  p w \n[empty]\n",
                  &profiles, &error))
      << error;
  EXPECT_EQ(profiles["default"].user, "me");
  EXPECT_EQ(profiles["home"].host, "192.0.2.7");
  EXPECT_EQ(profiles["home"].port, 15700);
  EXPECT_EQ(profiles["home"].password, "p w");
  EXPECT_TRUE(profiles.count("empty"));
  EXPECT_FALSE(profiles["empty"].user.has_value());

  EXPECT_FALSE(ParseConfig("[home\n", &profiles, &error));
  EXPECT_FALSE(ParseConfig("[]\n", &profiles, &error));
  EXPECT_FALSE(ParseConfig("host\n", &profiles, &error));
  EXPECT_FALSE(ParseConfig("a\nport = 70000\n", &profiles, &error));
  EXPECT_FALSE(ParseConfig("\n\ncolour = red\n", &profiles, &error));
  EXPECT_EQ(error.rfind("line 3:", 0), 0u) << error;
}

TEST(VarnlinkBanArguments, IdentitiesAreCheckedBeforeAnythingIsSent) {
  BanArguments ban;
  std::string error;
  ASSERT_TRUE(ParseBanArguments(
      {"7", "--keyhash", "0123456789abcdef0123456789ABCDEF", "--for", "1d", "team", "killing"},
      &ban, &error))
      << error;
  EXPECT_EQ(ban.id, 7);
  EXPECT_EQ(ban.seconds, 86400);
  EXPECT_EQ(ban.reason, "team killing");
  EXPECT_EQ(BanRequestText(ban),
            "7\xFF[unknown]\xFF[unknown]\xFF"
            "0123456789abcdef0123456789ABCDEF\xFF[unknown]\xFF"
            "86400\xFFteam killing\xFF");

  EXPECT_FALSE(ParseBanArguments({"7"}, &ban, &error));
  EXPECT_NE(error.find("--address"), std::string::npos);
  EXPECT_FALSE(ParseBanArguments({"--keyhash", "0123"}, &ban, &error));
  EXPECT_NE(error.find("malformed keyhash"), std::string::npos);
  EXPECT_FALSE(ParseBanArguments({"--guid", "0123456789abcdef0123456789abcdeg"}, &ban, &error));
  EXPECT_FALSE(ParseBanArguments({"--address", "10.0.0.256"}, &ban, &error));
  EXPECT_FALSE(ParseBanArguments({"--address", "10.0.0"}, &ban, &error));
  EXPECT_FALSE(ParseBanArguments({"--address", "10.0.0.1", "--for", "soon"}, &ban, &error));
  EXPECT_NE(error.find("not soon"), std::string::npos);
  EXPECT_FALSE(ParseBanArguments({"--address", "10.0.0.1", "--for"}, &ban, &error));

  ASSERT_TRUE(ParseUnbanArguments({"--address", "10.0.0.1", "--name", "Bob"}, &ban, &error));
  EXPECT_EQ(UnbanRequestText(ban), "Bob,10.0.0.1,[unknown],[unknown]");
  EXPECT_FALSE(ParseUnbanArguments({"--name", "Bob"}, &ban, &error));
  EXPECT_FALSE(ParseUnbanArguments({"Bob"}, &ban, &error));
}

TEST(VarnlinkRequestTexts, KickReasonCannotAddFieldsAndPasswordsFollowTheAccountRules) {
  EXPECT_EQ(KickRequestText(3, "spam, and more"), "3,spam; and more,");
  std::string text;
  std::string error;
  ASSERT_TRUE(PasswordRequestText("n3w", &text, &error));
  EXPECT_EQ(text.size(), 64u);
  EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_FALSE(PasswordRequestText("", &text, &error));
  EXPECT_FALSE(PasswordRequestText("has blank", &text, &error));
  EXPECT_FALSE(PasswordRequestText(std::string(32, 'x'), &text, &error));
}

TEST(VarnlinkOutput, JsonStaysValidWhateverTheServerSends) {
  EXPECT_EQ(JsonString("a\"b\\c\n\x01\xE9"), "\"a\\\"b\\\\c\\n\\u0001\\u00e9\"");
  EXPECT_EQ(JsonTime(0), "null");
  EXPECT_EQ(AlignedTable({"A", "LONG"}, {{"wide cell", "x"}, {"b", "y"}}),
            "A          LONG\nwide cell  x\nb          y\n");
  EXPECT_EQ(ProgressBarText(3 << 20, 4 << 20),
            "\r[######################........]  75%  3.0 of 4.0 MB");
  // A sender that overshoots its announced length never draws past the end.
  EXPECT_EQ(ProgressBarText(5, 4).substr(0, 37), "\r[##############################] 100");
}

TEST(VarnlinkLogin, EveryRefusalHasItsOwnLineAndExitCode) {
  EXPECT_EQ(ExitCodeOfLoginResult(2), kExitWrongPassword);
  EXPECT_EQ(ExitCodeOfLoginResult(7), kExitTableFull);
  EXPECT_EQ(ExitCodeOfLoginResult(6), kExitAlreadyConnected);
  for (int r : {1, 3, 4, 5}) EXPECT_EQ(ExitCodeOfLoginResult(r), kExitBadAccount);
  EXPECT_NE(LoginResultText(2).find("password is invalid"), std::string::npos);
  for (int r = 1; r <= 7; ++r) {
    EXPECT_EQ(LoginResultText(r).find('\n'), std::string::npos) << r;
  }
}

}  // namespace
}  // namespace varnholt::varnlink
