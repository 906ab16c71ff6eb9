#include "core/program_options.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(ProgramOptionsTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt) {
  TempFolder tmp;
  std::string ini = tmp.Sub("Varnholt.ini");
  ProgramOptions options;
  options.ErrorLog = 0;
  ASSERT_TRUE(ReadProgramOptions(ini, &options));
  EXPECT_EQ(options.ErrorLog, 1);
  EXPECT_EQ(options.ModFilter, 65535);
  EXPECT_EQ(options.ModeFilter, 31);
  ASSERT_TRUE(WriteProgramOptions(ini, options));
  EXPECT_EQ(tmp.Read("Varnholt.ini"),
            "[settings]\r\nAdminMessages=1\r\nAutoRestart=1\r\nGUISounds=1\r\nToolTips=1\r\n"
            "AlwaysOnTop=0\r\nErrorLog=1\r\nLogPlayerChat=1\r\nKickBanDelay=0\r\nModeFilter=31\r\n"
            "ModFilter=65535\r\nHideWindow=0\r\nLaunchPrefix=\r\n");
}

TEST(ProgramOptionsTest, NonNumbersReadAsZeroAndOtherSectionsSurvive) {
  TempFolder tmp;
  std::string ini = tmp.Write(
      "Varnholt.ini",
      "; kept\n[window]\nx=5\n[Settings]\nmodfilter = abc\nKickBanDelay=1\nLaunchPrefix= wine \n");
  ProgramOptions options;
  ASSERT_TRUE(ReadProgramOptions(ini, &options));
  EXPECT_EQ(options.ModFilter, 0);
  EXPECT_EQ(options.LaunchPrefix, "wine");
  EXPECT_EQ(options.KickBanDelay, 1);
  ASSERT_TRUE(WriteProgramOptions(ini, options));
  std::string text = tmp.Read("Varnholt.ini");
  EXPECT_NE(text.find("modfilter=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("LaunchPrefix=wine\r\n"), std::string::npos);
  EXPECT_NE(text.find("[window]\r\nx=5\r\n"), std::string::npos);
  EXPECT_NE(text.find("; kept"), std::string::npos);
}

TEST(ProgramOptionsTest, SwitchesAreOnForAnyNumberButZeroAndWrittenAsOneOrZero) {
  TempFolder tmp;
  std::string ini = tmp.Write("Varnholt.ini",
                              "[settings]\nAutoRestart=0\nKickBanDelay=2\nHideWindow=-1\n"
                              "AlwaysOnTop=yes\nModeFilter=7\n");
  ProgramOptions options;
  ASSERT_TRUE(ReadProgramOptions(ini, &options));
  EXPECT_FALSE(options.AutoRestart);
  EXPECT_TRUE(options.KickBanDelay);
  EXPECT_TRUE(options.HideWindow);
  EXPECT_FALSE(options.AlwaysOnTop);
  EXPECT_EQ(options.ModeFilter, 7);
  ASSERT_TRUE(WriteProgramOptions(ini, options));
  std::string text = tmp.Read("Varnholt.ini");
  EXPECT_NE(text.find("AutoRestart=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("KickBanDelay=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("HideWindow=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("AlwaysOnTop=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("ModeFilter=7\r\n"), std::string::npos);
}

}  // namespace
}  // namespace varnholt
