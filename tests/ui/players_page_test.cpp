// The Players page against the real sim: its players listed, the player menu's kick, the
// custom kick box, and the chat box's Commands.
#include "ui/players_page.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QtTest>
#include <chrono>
#include <cstdio>
#include <string>

#include "autoadmin/player_menu.h"
#include "core/notify_codes.h"
#include "support/free_port.h"
#include "ui/custom_message_dialog.h"
#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

class PlayersPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override {
    MakeDemo();
    // A listener port of its own, so that tests running side by side do not meet.
    ASSERT_TRUE(StartProgram(nullptr, {"-port", std::to_string(testing::FreePort(SOCK_STREAM))}));
  }
  // Two players who keep still: no fighting, no chat, fixed pings.
  void UseStillPlayers() {
    game().Write("ashfront-sim.options",
                 "--players=0\n--bots=0\n--static\n--chat-every=0\n"
                 "--player=Alice|1|40|10.1.2.3:5000|0123456789abcdef0123456789abcdef\n"
                 "--player=Bruno|2|60|10.1.2.4:5000|fedcba9876543210fedcba9876543210\n");
  }
  void RefreshPages() {
    program().Queue().QueueCommand(kCmdRefreshPage, "manual", kOriginLocal, 0);
  }
  // The list row of the player, or -1.
  static int RowOf(const PlayersPage& page, const QString& name) {
    for (int i = 0; i < page.List()->topLevelItemCount(); ++i) {
      if (page.List()->topLevelItem(i)->text(0) == name) return i;
    }
    return -1;
  }
  bool WaitForRows(PlayersPage& page, int rows) {
    return ProcessUntil(
        [&] {
          page.Reload();
          return page.List()->topLevelItemCount() == rows;
        },
        10000);
  }
  int Count(const std::string& text) {
    const std::string log = Log();
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }
  static const MenuEntry* Find(const std::vector<MenuEntry>& entries, const std::string& text) {
    for (const MenuEntry& e : entries) {
      if (e.text == text) return &e;
    }
    return nullptr;
  }
};

TEST_F(PlayersPageTest, ListsTheServersPlayersAndKicksOneFromThePlayerMenu) {
  UseStillPlayers();
  PlayersPage page(program());
  ASSERT_TRUE(StartServer());
  RefreshPages();
  ASSERT_TRUE(WaitForRows(page, 2));
  const QTreeWidgetItem* item = page.List()->topLevelItem(RowOf(page, "Alice"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(2), "vyr");
  EXPECT_EQ(item->text(6), "40");
  EXPECT_EQ(item->text(7), "10.1.2.3");
  EXPECT_EQ(item->text(8), "0123456789abcdef0123456789abcdef");

  // The "Ping" heading sorts by ping, a second click the other way round.
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  QHeaderView* header = page.List()->header();
  const QPoint ping(header->sectionViewportPosition(6) + 5, 5);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, ping);
  EXPECT_EQ(RowOf(page, "Alice"), 0);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, ping);
  EXPECT_EQ(RowOf(page, "Bruno"), 0);
  const int alice = RowOf(page, "Alice");

  // "Copy player name" puts the name into the chat box.
  page.RunMenuAction(kMenuCopyName, alice);
  EXPECT_EQ(page.ChatBox()->text(), "Alice");
  page.ChatBox()->clear();

  const std::vector<MenuEntry> menu = page.MenuEntries(alice);
  const MenuEntry* kick = Find(menu, "Kick player");
  ASSERT_NE(kick, nullptr);
  EXPECT_NE(Find(menu, "Custom kick..."), nullptr);
  // Without a player the menu has no player items.
  EXPECT_EQ(Find(page.MenuEntries(-1), "Custom kick..."), nullptr);

  page.RunMenuAction(kick->action, alice);
  EXPECT_TRUE(WaitForRows(page, 1));
  EXPECT_EQ(RowOf(page, "Alice"), -1);
  EXPECT_EQ(RowOf(page, "Bruno"), 0);
  EXPECT_TRUE(ProcessUntil([&] { return Count("kicked player Alice") == 1; }, 5000)) << Log();
}

TEST_F(PlayersPageTest, CustomKickAndBanBoxActWithTheMessageOnOkAndNotOnCancel) {
  UseStillPlayers();
  PlayersPage page(program());
  ASSERT_TRUE(StartServer());
  RefreshPages();
  ASSERT_TRUE(WaitForRows(page, 2));
  const int bruno = RowOf(page, "Bruno");

  page.RunMenuAction(kMenuCustomKick, bruno);
  CustomMessageDialog* box = page.MessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->windowTitle(), "Custom Kick/Ban Message");
  bool line_shown = false;
  for (const QLabel* label : box->findChildren<QLabel*>()) {
    line_shown |= label->text() ==
                  "Enter the custom kick/ban message below and click OK to kick/ban the player.";
  }
  EXPECT_TRUE(line_shown);
  QTest::keyClicks(box->MessageEdit(), "camping");
  QTest::mouseClick(box->CancelButton(), Qt::LeftButton);
  EXPECT_EQ(page.MessageBox(), nullptr);

  page.RunMenuAction(kMenuCustomKick, bruno);
  box = page.MessageBox();
  ASSERT_NE(box, nullptr);
  QTest::keyClicks(box->MessageEdit(), "spawn camping");
  QTest::mouseClick(box->OkButton(), Qt::LeftButton);
  EXPECT_EQ(page.MessageBox(), nullptr);
  EXPECT_TRUE(WaitForRows(page, 1));
  EXPECT_EQ(RowOf(page, "Bruno"), -1);
  EXPECT_TRUE(ProcessUntil([&] { return Count("kicked player Bruno") == 1; }, 5000));
  // Kicked once, with the message typed before OK; the cancelled box left no trace.
  EXPECT_EQ(Count("User operator at console kicked player Bruno "
                  "(fedcba9876543210fedcba9876543210) at 10.1.2.4 for spawn camping."),
            1)
      << Log();
  EXPECT_EQ(Count(" for camping"), 0);

  // "Custom ban..." bans permanently with the message.
  page.RunMenuAction(kMenuCustomBan, RowOf(page, "Alice"));
  ASSERT_NE(page.MessageBox(), nullptr);
  QTest::keyClicks(page.MessageBox()->MessageEdit(), "wallhack");
  QTest::mouseClick(page.MessageBox()->OkButton(), Qt::LeftButton);
  EXPECT_TRUE(WaitForRows(page, 0));
  EXPECT_TRUE(ProcessUntil(
      [&] {
        return Count(
                   "User operator at console banned player Alice "
                   "(0123456789abcdef0123456789abcdef) permanently for wallhack.") == 1;
      },
      5000))
      << Log();
}

TEST_F(PlayersPageTest, ChatBoxSendsServerMessagesOrChatAndClears) {
  PlayersPage page(program());
  QLineEdit* chat = page.ChatBox();
  // An empty line sends nothing.
  QTest::keyClick(chat, Qt::Key_Return);
  QTest::keyClicks(chat, "hello all");
  QTest::keyClick(chat, Qt::Key_Return);
  EXPECT_TRUE(chat->text().isEmpty());
  // No server runs, so the message fails on the console, which names what was sent.
  EXPECT_TRUE(ProcessUntil(
      [&] { return Count("Couldn't send server message! The command failed.") == 1; }, 5000))
      << Log();

  program().Options().AdminMessages = false;
  QTest::keyClicks(chat, "hello again");
  QTest::keyClick(chat, Qt::Key_Return);
  EXPECT_TRUE(chat->text().isEmpty());
  EXPECT_TRUE(ProcessUntil(
      [&] { return Count("Couldn't send chat message! The command failed.") == 1; }, 5000));
  EXPECT_EQ(Count("Couldn't send server message!"), 1);
}

TEST_F(PlayersPageTest, ChatReachesTheServer) {
  UseStillPlayers();
  PlayersPage page(program());
  ASSERT_TRUE(StartServer());
  QTest::keyClicks(page.ChatBox(), "round starts now");
  QTest::keyClick(page.ChatBox(), Qt::Key_Return);
  EXPECT_TRUE(ProcessUntil(
      [&] { return Count("User operator at console said 'round starts now'.") == 1; }, 5000))
      << Log();
}

// Not a check: the time of a refresh (rows and painting) with 64 players, printed for the record.
TEST_F(PlayersPageTest, TimesTheRefreshOfSixtyFourPlayers) {
  game().Write("ashfront-sim.options", "--players=64\n--bots=0\n--static\n--chat-every=0\n");
  ASSERT_TRUE(program().Settings().SetInt("game.serverMaxPlayers", 64));
  PlayersPage page(program());
  ASSERT_TRUE(StartServer());
  RefreshPages();
  ASSERT_TRUE(ProcessUntil([&] { return program().Players().RowCount() == 64; }, 10000))
      << program().Players().RowCount();
  // Shown, so that the time includes laying out and painting the rows.
  page.resize(900, 600);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  auto refresh = [&] {
    page.Reload();
    page.List()->viewport()->repaint();
  };
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  const auto t0 = Clock::now();
  refresh();
  const auto t1 = Clock::now();
  page.List()->topLevelItem(10)->setSelected(true);
  const QString selected = page.List()->topLevelItem(10)->text(1);
  program().Players().SetSortOrder(PlayerColumn::kName, true);
  const auto t2 = Clock::now();
  refresh();
  const auto t3 = Clock::now();
  refresh();
  const auto t4 = Clock::now();
  ASSERT_EQ(page.List()->topLevelItemCount(), 64);
  ASSERT_EQ(page.List()->selectedItems().size(), 1);
  EXPECT_EQ(page.List()->selectedItems()[0]->text(1), selected);
  std::printf(
      "[ timing ] Players list, 64 players: first fill %.2f ms, resorted %.2f ms, "
      "unchanged %.3f ms\n",
      ms(t1 - t0), ms(t3 - t2), ms(t4 - t3));
}

}  // namespace
}  // namespace varnholt
