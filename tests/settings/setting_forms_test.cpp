#include "settings/setting_forms.h"

#include <gtest/gtest.h>
#include <locale.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

SettingValue Int(int32_t v) {
  return SettingValue{v, ""};
}
SettingValue Text(std::string t) {
  return SettingValue{0, std::move(t)};
}

std::string Console(std::string_view key, const SettingValue& value) {
  std::string out;
  if (!FormatConsoleForm(SettingRowOf(key), value, &out)) return "(none)";
  return out;
}

std::string Line(std::string_view key, const SettingValue& value) {
  return FormatSettingLine(key, SettingRowOf(key), value);
}

TEST(SettingForms, NumbersReadLikeTheCLibraryButRound) {
  EXPECT_EQ(ParseConInt("12abc"), 12);
  EXPECT_EQ(ParseConInt("yes"), 0);
  EXPECT_EQ(ParseConInt("-4"), -4);
  EXPECT_EQ(ParseConInt("99999999999"), INT32_MAX);
  EXPECT_EQ(ParseConInt("-99999999999"), INT32_MIN);
  int32_t scaled = 0;
  ASSERT_TRUE(ScaleConNumber(ParseConNumber("0.57"), 100, &scaled));
  EXPECT_EQ(scaled, 57);  // truncating 56.999... would give 56
  ASSERT_TRUE(ScaleConNumber(ParseConNumber("0.3"), 10, &scaled));
  EXPECT_EQ(scaled, 3);
  ASSERT_TRUE(ScaleConNumber(ParseConNumber("1e30"), 100, &scaled));
  EXPECT_EQ(scaled, INT32_MAX);
  bool finite = true;
  ParseConNumber("nan", &finite);
  EXPECT_FALSE(finite);
  EXPECT_FALSE(ScaleConNumber(ParseConNumber("nan"), 100, &scaled));
}

#if defined(__SANITIZE_ADDRESS__)
struct LeakCheckPause {
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
};
#else
struct LeakCheckPause {
  LeakCheckPause() {}
};
#endif

locale_t CommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
    locale_t found = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(0));
    if (found != static_cast<locale_t>(0)) return found;
  }
  return static_cast<locale_t>(0);
}

// The interface may switch to a locale with a decimal comma; files and the console must
// still see a point. Machines without such a locale get one compiled into a temporary folder.
TEST(SettingForms, NumbersIgnoreTheProcessLocale) {
  testing::TempFolder tmp;
  locale_t comma = CommaLocale();
  if (comma == static_cast<locale_t>(0)) {
    std::string command =
        "localedef -i de_DE -f ISO-8859-1 '" + tmp.Sub("de_DE") + "' >/dev/null 2>&1";
    if (system(command.c_str()) == 0) {
      const char* saved = getenv("LOCPATH");
      std::string previous_path = saved ? saved : "";
      setenv("LOCPATH", tmp.path().c_str(), 1);
      {
        // The C library keeps the parsed LOCPATH list for good; that is not our leak.
        LeakCheckPause pause;
        comma = newlocale(LC_NUMERIC_MASK, "de_DE", static_cast<locale_t>(0));
      }
      if (saved) {
        setenv("LOCPATH", previous_path.c_str(), 1);
      } else {
        unsetenv("LOCPATH");
      }
    }
  }
  if (comma == static_cast<locale_t>(0)) GTEST_SKIP() << "no locale with a decimal comma";
  locale_t previous = uselocale(comma);
  char plain[8];
  snprintf(plain, sizeof plain, "%.1f", 0.5);
  EXPECT_STREQ(plain, "0,5");  // the locale really has a decimal comma
  EXPECT_EQ(FormatFixed(0.6, 2), "0.60");
  EXPECT_EQ(ParseConNumber("0.57"), 0.57);
  EXPECT_EQ(Console("admin.soldierFFRatio", Int(150)), "admin.soldierFFRatio 1.5");
  uselocale(previous);
  freelocale(comma);
}

TEST(SettingForms, ChoiceListsAndAddresses) {
  EXPECT_EQ(ChoiceCount(kBandwidthChoices), 8);
  EXPECT_EQ(ChoiceCode(kBandwidthChoices, 8), "1024");
  EXPECT_EQ(ChoiceCode(kConnectionTypeChoices, 5), "");
  EXPECT_TRUE(IsChoiceCode(kConnectionTypeChoices, "ctlant1"));
  EXPECT_FALSE(IsChoiceCode(kBandwidthChoices, "64 Kbps"));  // a label, not a code
  EXPECT_EQ(ChoiceLabel(kBandwidthChoices, "128"), "1024 Kbps");
  EXPECT_EQ(ParseAddressText("10.0.0.1garbage-after-fifteen"), 0x0A000001u);
}

TEST(SettingForms, ConsoleForms) {
  EXPECT_EQ(Console("admin.soldierFFRatio", Int(150)), "admin.soldierFFRatio 1.5");
  EXPECT_EQ(Console("admin.setTicketRatio", Int(100)), "admin.setTicketRatio 1.0");
  // A ratio one decimal cannot hold keeps its second one instead of being rounded.
  EXPECT_EQ(Console("admin.vehicleFFRatio", Int(57)), "admin.vehicleFFRatio 0.57");
  EXPECT_EQ(Console("admin.setTicketRatio", Int(1000)), "admin.setTicketRatio 10.0");
  EXPECT_EQ(Console("admin.timeLimit", Int(20)), "admin.timeLimit 1200");
  EXPECT_EQ(Console("admin.setNrOfRounds", Int(0)), "admin.setNrOfRounds 0");
  EXPECT_EQ(Console("admin.voteMapMajority", Int(60)), "admin.voteMapMajority 0.60");
  EXPECT_EQ(Console("admin.spawnDelayPenaltyForTK", Int(35)), "admin.spawnDelayPenaltyForTK 3.5");
  EXPECT_EQ(Console("physics.gravity", Int(4)), "physics.gravity -4");
  EXPECT_EQ(Console("game.enableFreeCamera", Int(1)), "game.enableFreeCamera 1");
  EXPECT_EQ(Console("admin.toggleGamePause", Int(1)), "(none)");
  EXPECT_EQ(Console("manager.autoKickPing", Int(1)), "(none)");
  EXPECT_EQ(Console("game.serverPort", Int(15567)), "(none)");  // no console key
}

TEST(SettingForms, ConsoleValuesReadBack) {
  auto read = [](std::string_view key, std::string_view text) {
    SettingValue value;
    EXPECT_TRUE(ParseConsoleValue(SettingRowOf(key), text, &value)) << key;
    return value;
  };
  EXPECT_EQ(read("admin.timeLimit", "90").int_value, 1);
  EXPECT_EQ(read("admin.timeLimit", "59").int_value, 0);
  EXPECT_EQ(read("admin.soldierFFRatio", "1.15").int_value, 115);
  EXPECT_EQ(read("admin.voteMapMajority", "0.57").int_value, 57);
  EXPECT_EQ(read("admin.spawnDelayPenaltyForTK", "0.3").int_value, 3);
  EXPECT_EQ(read("admin.bandwidthChokeLimit", std::string(40, '9')).text.size(), 31u);
  SettingValue unused;
  EXPECT_FALSE(ParseConsoleValue(SettingRowOf("admin.toggleGamePause"), "1", &unused));
  EXPECT_FALSE(ParseConsoleValue(SettingRowOf("manager.autoKickPing"), "1", &unused));
}

TEST(SettingForms, FileLinesApplyConsoleConversionsOnlyUnderAdminKeys) {
  EXPECT_EQ(Line("admin.soldierFFRatio", Int(150)), "admin.soldierFFRatio 1.50\r\n");
  EXPECT_EQ(FormatSettingLine("game.serverSoldierFriendlyFire",
                              SettingRowOf("admin.soldierFFRatio"), Int(150)),
            "game.serverSoldierFriendlyFire 150\r\n");
  EXPECT_EQ(Line("admin.setNrOfRounds", Int(0)), "admin.setNrOfRounds -1\r\n");
  EXPECT_EQ(Line("game.serverNumberOfRounds", Int(0)), "game.serverNumberOfRounds 0\r\n");
  EXPECT_EQ(Line("admin.timeLimit", Int(20)), "admin.timeLimit 1200\r\n");
  EXPECT_EQ(Line("game.serverGameTime", Int(20)), "game.serverGameTime 20\r\n");
  EXPECT_EQ(Line("manager.autoKickScoreValue", Int(6)), "manager.autoKickScoreValue -6\r\n");
  EXPECT_EQ(Line("admin.toggleGamePause", Int(1)), "admin.toggleGamePause\r\n");
  // A line break inside a value must not start a line of its own.
  EXPECT_EQ(Line("game.serverName", Text("a\r\ngame.serverPassword \"x")),
            "game.serverName \"agame.serverPassword \"x\"\r\n");
}

TEST(SettingForms, WelcomeMessageLines) {
  std::vector<std::string> lines =
      WelcomeMessageFileLines("a\r\n\r\n\nb\rc\nd\ne\nf\n" + std::string(70, 'x'));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  lines = WelcomeMessageFileLines(std::string(70, 'y'));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 63u);
}

}  // namespace
}  // namespace varnholt
