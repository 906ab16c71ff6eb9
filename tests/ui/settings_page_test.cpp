// The five settings pages on a real program in a demo installation: what a user changes in
// a control lands in the settings table at once and in Varnholt.con at the next save, and
// what the worker loads into the table is shown again.
#include "ui/settings_page.h"

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/ip_address.h"
#include "settings/setting_def.h"
#include "ui/address_field.h"
#include "ui/setting_help.h"
#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

namespace rows = setting_rows;

class SettingsPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override { ASSERT_TRUE(StartProgram()); }

  std::unique_ptr<SettingsPage> MakePage(SettingPage page) {
    auto made = std::make_unique<SettingsPage>(program(), page);
    made->resize(1000, 1600);  // tall enough that no control is scrolled out of reach
    made->show();              // clicks reach only controls on the screen, laid out
    QCoreApplication::processEvents();
    return made;
  }
  SettingsTable& table() { return program().Settings(); }
  std::string SettingsFile() { return game().Read("Mods/ashfront/Settings/Varnholt.con"); }
  bool ChangedSinceSnapshot(int row) {
    const std::vector<int> changed = table().RowsChangedSinceSnapshot();
    return std::find(changed.begin(), changed.end(), row) != changed.end();
  }
  // Sets `key`'s line of a .con text to `value`, adding the line when there is none.
  static void SetLine(std::string* con, const std::string& key, const std::string& value) {
    const std::string line = key + " " + value + "\r\n";
    const size_t at = con->find(key + " ");
    if (at == std::string::npos) {
      *con += line;
    } else {
      con->replace(at, con->find("\r\n", at) + 2 - at, line);
    }
  }
  static QSlider* SliderOf(QWidget* control, int index = 0) {
    const QList<QSlider*> sliders = control->findChildren<QSlider*>();
    return index < sliders.size() ? sliders[index] : nullptr;
  }
  static QString LabelOf(QWidget* control) {
    QLabel* label = control->findChild<QLabel*>();
    return label != nullptr ? label->text() : QString();
  }
};

TEST_F(SettingsPageTest, EveryRowWithAPageHasOneControlWithHelpAndOnlyThePairsShareOne) {
  const std::set<std::set<int>> allowed_pairs = {
      {SettingRowOf("game.serverAlliedTeamRatio"), SettingRowOf("game.serverAxisTeamRatio")},
      {SettingRowOf("game.serverSpawnTime"), SettingRowOf("admin.spawnWaveTime")}};
  std::map<QWidget*, std::set<int>> rows_of_control;
  for (int p = kPageServer; p <= kPageAdmin; ++p) {
    auto page = MakePage(static_cast<SettingPage>(p));
    for (int row = 0; row < kSettingCount; ++row) {
      SCOPED_TRACE(SettingName(row));
      QWidget* control = page->ControlOf(row);
      if (kSettingDefs[row].page != p) {
        EXPECT_EQ(control, nullptr);
        continue;
      }
      ASSERT_NE(control, nullptr);
      EXPECT_STRNE(SettingHelpText(row), "");
      EXPECT_STRNE(SettingLabelText(row), "");
      EXPECT_FALSE(control->toolTip().isEmpty());
      rows_of_control[control].insert(row);
    }
    // Pages are kept while the map holds their controls' addresses.
    page.release()->deleteLater();
  }
  for (const auto& [control, rows_shown] : rows_of_control) {
    if (rows_shown.size() > 1) {
      EXPECT_TRUE(allowed_pairs.count(rows_shown)) << *rows_shown.begin();
    }
  }
  EXPECT_EQ(rows_of_control.size(), size_t{kSettingCount - 2 - 2});  // two unpaged, two pairs
  EXPECT_STREQ(SettingHelpText(rows::kServerName),
               "Server name as seen in the game server browser window.");
  EXPECT_STREQ(SettingHelpText(rows::kMonitorTimerPeriod),
               "Time in seconds between server monitoring checks and auto-admin functions.");
  EXPECT_STREQ(SettingHelpText(rows::kServerDedicated), "");
  EXPECT_STREQ(SettingHelpText(rows::kServerContentCheck), "");
  EXPECT_STREQ(SettingHelpText(kSettingCount), "");
}

TEST_F(SettingsPageTest, SliderChangesWriteTheTableAtOnceAndTheNextSaveWritesTheFile) {
  auto admin = MakePage(kPageAdmin);
  QSlider* period = SliderOf(admin->ControlOf(rows::kMonitorTimerPeriod));
  ASSERT_NE(period, nullptr);
  EXPECT_EQ(period->minimum(), 10);
  EXPECT_EQ(period->maximum(), 60);
  EXPECT_FALSE(ChangedSinceSnapshot(rows::kMonitorTimerPeriod));
  period->setFocus();
  QTest::keyClick(period, Qt::Key_Right);  // 30 -> 31, as the user's arrow key does
  EXPECT_EQ(table().GetInt(rows::kMonitorTimerPeriod), 31);
  EXPECT_EQ(LabelOf(admin->ControlOf(rows::kMonitorTimerPeriod)), "31");
  EXPECT_TRUE(ChangedSinceSnapshot(rows::kMonitorTimerPeriod));
  EXPECT_EQ(SettingsFile().find("manager.monitorTimerPeriod 31"), std::string::npos);

  // Values are shown in the user's units.
  QSlider* announce = SliderOf(admin->ControlOf(rows::kAutoAnnouncePeriod));
  announce->setValue(125);
  EXPECT_EQ(LabelOf(admin->ControlOf(rows::kAutoAnnouncePeriod)), "2:05");
  auto ff = MakePage(kPageFriendlyFire);
  SliderOf(ff->ControlOf(SettingRowOf("game.serverKickback")))->setValue(150);
  EXPECT_EQ(LabelOf(ff->ControlOf(SettingRowOf("game.serverKickback"))), "1.50");
  SliderOf(ff->ControlOf(rows::kAutoKickScoreValue))->setValue(8);
  EXPECT_EQ(LabelOf(ff->ControlOf(rows::kAutoKickScoreValue)), "-8");
  SliderOf(ff->ControlOf(SettingRowOf("admin.spawnDelayPenaltyForTK")))->setValue(25);
  EXPECT_EQ(LabelOf(ff->ControlOf(SettingRowOf("admin.spawnDelayPenaltyForTK"))), "2.5");

  ASSERT_TRUE(program().Store().SaveAllChanges());
  const std::string file = SettingsFile();
  EXPECT_NE(file.find("manager.monitorTimerPeriod 31"), std::string::npos);
  EXPECT_NE(file.find("manager.autoAnnouncePeriod 125"), std::string::npos);
  EXPECT_NE(file.find("game.serverKickback 1.50"), std::string::npos);
  EXPECT_NE(file.find("manager.autoKickScoreValue -8"), std::string::npos);
  EXPECT_FALSE(ChangedSinceSnapshot(rows::kMonitorTimerPeriod));
}

TEST_F(SettingsPageTest, TextBoxesRefuseMoreThanTheirLimitAndPortBoxesStoreOnlyValidPorts) {
  auto server = MakePage(kPageServer);
  auto* name = qobject_cast<QLineEdit*>(server->ControlOf(rows::kServerName));
  ASSERT_NE(name, nullptr);
  name->selectAll();
  QTest::keyClicks(name, QString(40, 'x'));
  EXPECT_EQ(name->text(), QString(32, 'x'));
  EXPECT_EQ(table().GetText(rows::kServerName), std::string(32, 'x'));
  // The password is typed like any text but not shown to whoever looks at the screen.
  auto* password = qobject_cast<QLineEdit*>(server->ControlOf(rows::kServerPassword));
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::PasswordEchoOnEdit);
  EXPECT_EQ(name->echoMode(), QLineEdit::Normal);

  auto game_page = MakePage(kPageGame);
  auto* tag =
      qobject_cast<QLineEdit*>(game_page->ControlOf(SettingRowOf("game.serverClanTagTeam1")));
  ASSERT_NE(tag, nullptr);
  QTest::keyClicks(tag, "ABCDEFGHIJK");
  EXPECT_EQ(table().GetText("game.serverClanTagTeam1"), "ABCDEFGH");

  auto* port = qobject_cast<QLineEdit*>(server->ControlOf(rows::kServerPort));
  ASSERT_NE(port, nullptr);
  const int32_t before = table().GetInt(rows::kServerPort);
  port->selectAll();
  QTest::keyClicks(port, "100");  // not yet a port: the table keeps the old one
  EXPECT_EQ(table().GetInt(rows::kServerPort), before);
  QTest::keyClicks(port, "00");
  EXPECT_EQ(table().GetInt(rows::kServerPort), 10000);
  QTest::keyClick(port, Qt::Key_Backspace);
  QTest::keyClick(port, Qt::Key_Backspace);
  QTest::keyClick(port, Qt::Key_Backspace);  // "10" is left: the table still holds 10000
  EXPECT_EQ(table().GetInt(rows::kServerPort), 10000);
  ASSERT_TRUE(program().Store().SaveAllChanges());
  EXPECT_NE(SettingsFile().find("game.serverPort 10000"), std::string::npos);
  EXPECT_NE(SettingsFile().find("game.serverName \"" + std::string(32, 'x') + "\""),
            std::string::npos);
}

TEST_F(SettingsPageTest, AddressFieldStepsThroughTheDetectedAddressesAndTakesATypedOne) {
  const std::vector<uint32_t> addresses = program().Interfaces().Addresses();
  ASSERT_FALSE(addresses.empty());
  auto server = MakePage(kPageServer);
  auto* field = qobject_cast<QAbstractSpinBox*>(server->ControlOf(rows::kServerIp));
  ASSERT_NE(field, nullptr);

  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, "10.1.2.3");
  EXPECT_EQ(table().GetAddress(rows::kServerIp), 0x0A010203u);
  // Not in the list: the first step up goes to the first address, then on, wrapping.
  for (size_t i = 0; i <= addresses.size(); ++i) {
    field->stepUp();
    EXPECT_EQ(table().GetAddress(rows::kServerIp), addresses[i % addresses.size()]);
    EXPECT_EQ(field->text().toStdString(), IpToText(addresses[i % addresses.size()]));
  }
  field->stepDown();  // back past the first: the last
  EXPECT_EQ(table().GetAddress(rows::kServerIp), addresses.back());

  // Half an address is never stored.
  field->selectAll();
  QTest::keyClicks(field, "192.168.1");
  EXPECT_EQ(table().GetAddress(rows::kServerIp), addresses.back());
  QTest::keyClicks(field, "x.");  // a letter is refused outright
  EXPECT_EQ(field->text(), "192.168.1.");

  uint32_t parsed = 0;
  EXPECT_TRUE(ParseDottedQuad("255.255.255.255", &parsed));
  EXPECT_EQ(parsed, 0xFFFFFFFFu);
  EXPECT_FALSE(ParseDottedQuad("256.1.1.1", &parsed));
  EXPECT_FALSE(ParseDottedQuad("1.2.3", &parsed));
  EXPECT_FALSE(ParseDottedQuad("1..2.3", &parsed));
}

TEST_F(SettingsPageTest, RatioPairAndLanInternetPairWriteTheirRows) {
  auto game_page = MakePage(kPageGame);
  const int allied = SettingRowOf("game.serverAlliedTeamRatio");
  const int axis = SettingRowOf("game.serverAxisTeamRatio");
  QWidget* ratio = game_page->ControlOf(allied);
  ASSERT_EQ(ratio, game_page->ControlOf(axis));
  EXPECT_EQ(LabelOf(ratio), "1:1");
  SliderOf(ratio, 0)->setValue(3);
  SliderOf(ratio, 1)->setValue(2);
  EXPECT_EQ(table().GetInt(allied), 3);
  EXPECT_EQ(table().GetInt(axis), 2);
  EXPECT_EQ(LabelOf(ratio), "3:2");

  const int spawn = SettingRowOf("game.serverSpawnTime");
  const int wave = SettingRowOf("admin.spawnWaveTime");
  QWidget* spawn_control = game_page->ControlOf(spawn);
  ASSERT_EQ(spawn_control, game_page->ControlOf(wave));
  EXPECT_EQ(SliderOf(spawn_control, 0)->maximum(), 120);
  EXPECT_EQ(SliderOf(spawn_control, 1)->maximum(), 30);
  SliderOf(spawn_control, 1)->setValue(12);
  EXPECT_EQ(table().GetInt(wave), 12);
  EXPECT_EQ(table().GetInt(spawn), 15);

  auto server = MakePage(kPageServer);
  const int internet_row = SettingRowOf("game.serverInternet");
  QList<QRadioButton*> radios = server->ControlOf(internet_row)->findChildren<QRadioButton*>();
  ASSERT_EQ(radios.size(), 2);
  QRadioButton* lan = radios[0]->text() == "&LAN" ? radios[0] : radios[1];
  QRadioButton* internet = lan == radios[0] ? radios[1] : radios[0];
  EXPECT_EQ(internet->text(), "&Internet");
  EXPECT_TRUE(lan->isChecked());  // the demo's server is a LAN server
  QTest::mouseClick(internet, Qt::LeftButton);
  EXPECT_EQ(table().GetInt(internet_row), 1);
  EXPECT_FALSE(lan->isChecked());
  QTest::mouseClick(lan, Qt::LeftButton);
  EXPECT_EQ(table().GetInt(internet_row), 0);
  QTest::mouseClick(internet, Qt::LeftButton);
  auto* bind_all = qobject_cast<QCheckBox*>(server->ControlOf(rows::kBindAllInterfaces));
  ASSERT_NE(bind_all, nullptr);
  EXPECT_EQ(bind_all->text(), "Use 0.0.0.0");

  ASSERT_TRUE(program().Store().SaveAllChanges());
  const std::string file = SettingsFile();
  EXPECT_NE(file.find("game.serverAlliedTeamRatio 3"), std::string::npos);
  EXPECT_NE(file.find("game.serverAxisTeamRatio 2"), std::string::npos);
  EXPECT_NE(file.find("admin.spawnWaveTime 12"), std::string::npos);
  EXPECT_NE(file.find("game.serverInternet 1"), std::string::npos);
}

TEST_F(SettingsPageTest, ChoiceCheckBoxAndWelcomeMessageWriteTheirRows) {
  auto server = MakePage(kPageServer);
  const int choke = SettingRowOf("game.serverBandwidthChokeLimit");
  auto* box = qobject_cast<QComboBox*>(server->ControlOf(choke));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->count(), 8);
  EXPECT_EQ(box->currentText(), "No Limit");
  box->setCurrentIndex(box->findText("512 Kbps", Qt::MatchEndsWith));
  EXPECT_EQ(table().GetText(choke), "64");

  auto* welcome = qobject_cast<QPlainTextEdit*>(server->ControlOf(rows::kWelcomeMessage));
  ASSERT_NE(welcome, nullptr);
  welcome->setFocus();
  QTest::keyClicks(welcome, "Welcome");
  QTest::keyClick(welcome, Qt::Key_Return);
  QTest::keyClicks(welcome, "Play fair");
  EXPECT_EQ(table().GetText(rows::kWelcomeMessage), "Welcome\r\nPlay fair");
  // Past the 324 characters a value holds, typing is refused.
  QTest::keyClicks(welcome, QString(400, 'y'));
  EXPECT_EQ(table().GetText(rows::kWelcomeMessage).size(), kSettingTextMax);
  EXPECT_EQ(welcome->toPlainText().size() + 1, qsizetype{kSettingTextMax});  // CR LF is one

  auto admin = MakePage(kPageAdmin);
  auto* ping = qobject_cast<QCheckBox*>(admin->ControlOf(rows::kAutoKickPing));
  ASSERT_NE(ping, nullptr);
  EXPECT_TRUE(ping->isChecked());  // the demo kicks high pings
  QTest::keyClick(ping, Qt::Key_Space);
  EXPECT_FALSE(ping->isChecked());
  EXPECT_FALSE(table().GetBool(rows::kAutoKickPing));
  EXPECT_TRUE(ChangedSinceSnapshot(rows::kAutoKickPing));
}

TEST_F(SettingsPageTest, ReloadShowsWhatTheTableGotAndLeavesTheUsersTypingAlone) {
  auto server = MakePage(kPageServer);
  QSlider* players = SliderOf(server->ControlOf(SettingRowOf("game.serverMaxPlayers")));
  auto* port = qobject_cast<QLineEdit*>(server->ControlOf(rows::kConsolePort));
  ASSERT_NE(players, nullptr);
  ASSERT_NE(port, nullptr);

  // The user is half-way through a port number when the worker reloads the settings file.
  port->selectAll();
  QTest::keyClicks(port, "12");
  std::string con = SettingsFile();
  SetLine(&con, "game.serverMaxPlayers", "20");
  SetLine(&con, "game.serverName", "\"Reloaded\"");
  game().Write("Mods/ashfront/Settings/Varnholt.con", con);
  ASSERT_TRUE(program().Store().RefreshSettings());
  server->Reload();
  EXPECT_EQ(players->value(), 20);
  EXPECT_EQ(LabelOf(server->ControlOf(SettingRowOf("game.serverMaxPlayers"))), "20");
  EXPECT_EQ(qobject_cast<QLineEdit*>(server->ControlOf(rows::kServerName))->text(), "Reloaded");
  EXPECT_EQ(port->text(), "12");

  // A value changed behind the page is shown, in every kind of control.
  table().SetInt(rows::kConsolePort, 6000);
  table().SetText("game.serverMaxAllowedConnectionType", "ctmodem56kbps");
  table().SetInt("game.serverInternet", 1);
  table().SetAddress(rows::kServerIp, 0x7F000001);
  server->Reload();
  EXPECT_EQ(port->text(), "6000");
  EXPECT_EQ(qobject_cast<QComboBox*>(
                server->ControlOf(SettingRowOf("game.serverMaxAllowedConnectionType")))
                ->currentText(),
            "Modem 56 Kbps");
  EXPECT_EQ(qobject_cast<QAbstractSpinBox*>(server->ControlOf(rows::kServerIp))->text(),
            "127.0.0.1");
  QList<QRadioButton*> radios =
      server->ControlOf(SettingRowOf("game.serverInternet"))->findChildren<QRadioButton*>();
  for (QRadioButton* radio : radios) EXPECT_EQ(radio->isChecked(), radio->text() == "&Internet");
  // Showing a value is not a change of it.
  EXPECT_EQ(table().GetText("game.serverMaxAllowedConnectionType"), "ctmodem56kbps");
}

TEST_F(SettingsPageTest, ValuesTheWorkerReadsFromTheRunningServerAreShownAtTheNextReload) {
  auto game_page = MakePage(kPageGame);
  const int time_limit = rows::kGameTime;
  QSlider* slider = SliderOf(game_page->ControlOf(time_limit));
  ASSERT_NE(slider, nullptr);
  ASSERT_TRUE(StartServer());
  table().SetInt(time_limit, 117);  // a value the server does not hold
  game_page->Reload();
  EXPECT_EQ(slider->value(), 117);

  program().Queue().QueueCommand(kCmdReadSettings, "", kOriginLocal, 0);
  ASSERT_TRUE(ProcessUntil([&] { return table().GetInt(time_limit) != 117; }));
  game_page->Reload();
  EXPECT_EQ(slider->value(), table().GetInt(time_limit));
  EXPECT_EQ(LabelOf(game_page->ControlOf(time_limit)), QString::number(slider->value()));
}

TEST_F(SettingsPageTest, AdminPageOpensTheEditorsAndChoosesAStatisticsFileInsideTheGameFolder) {
  setenv("VISUAL", "true", 1);
  auto admin = MakePage(kPageAdmin);
  auto* words = admin->findChild<QPushButton*>("editBannedWords");
  auto* announcements = admin->findChild<QPushButton*>("editAnnouncements");
  ASSERT_NE(words, nullptr);
  ASSERT_NE(announcements, nullptr);
  EXPECT_FALSE(words->toolTip().isEmpty());
  QTest::mouseClick(words, Qt::LeftButton);
  EXPECT_TRUE(program().AutoAdministration().BannedWordsEdited());
  QTest::mouseClick(announcements, Qt::LeftButton);
  EXPECT_TRUE(program().Store().TakeAnnouncementsEdited());

  EXPECT_TRUE(admin->ChooseStatisticsFile(game().path() + "/stats/games.csv"));
  EXPECT_EQ(table().GetText(rows::kStatFilePath), "stats/games.csv");
  EXPECT_EQ(qobject_cast<QLineEdit*>(admin->ControlOf(rows::kStatFilePath))->text(),
            "stats/games.csv");
  EXPECT_FALSE(admin->ChooseStatisticsFile("/etc/cron.d/games.csv"));
  EXPECT_FALSE(admin->ChooseStatisticsFile(game().path() + "/../outside.csv"));
  EXPECT_EQ(table().GetText(rows::kStatFilePath), "stats/games.csv");
  EXPECT_TRUE(presenter().Shown("Couldn't set the statistics file!"));

  // A path typed into the box is checked when the user leaves it.
  auto* edit = qobject_cast<QLineEdit*>(admin->ControlOf(rows::kStatFilePath));
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "/tmp/anywhere.csv");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(table().GetText(rows::kStatFilePath), "stats/games.csv");
  EXPECT_EQ(edit->text(), "stats/games.csv");
  edit->selectAll();
  QTest::keyClicks(edit, "logs/../round.csv");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(table().GetText(rows::kStatFilePath), "round.csv");
  EXPECT_EQ(edit->text(), "round.csv");
  unsetenv("VISUAL");
}

}  // namespace
}  // namespace varnholt
