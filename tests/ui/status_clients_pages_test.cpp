// The Status page showing the summary before and after the real sim runs, and the Clients
// page listing a remote administrator logged in over loopback and disconnecting him.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QLabel>
#include <QTreeWidget>
#include <chrono>
#include <future>
#include <string>

#include "core/notify_codes.h"
// The remote client reads the key file that the program embeds.
#ifndef VARNHOLT_USER_KEY_FILE
#define VARNHOLT_USER_KEY_FILE SOURCE_DIR "/data/userkey.bin"
#endif
#include "support/free_port.h"
#include "support/remote_test_client.h"
#include "ui/clients_page.h"
#include "ui/status_page.h"
#include "ui/ui_program_fixture.h"

namespace varnholt {
namespace {

using testing::RemoteTestClient;

class StatusPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override {
    MakeDemo();
    // A listener port of its own, so that tests running side by side do not meet.
    ASSERT_TRUE(StartProgram(nullptr, {"-port", std::to_string(testing::FreePort(SOCK_STREAM))}));
  }
  static std::string Field(const StatusPage& page, size_t index) {
    return page.FieldLabel(index)->text().toStdString();
  }
};

TEST_F(StatusPageTest, ShowsTheSummaryOfAStoppedAndThenARunningServer) {
  StatusPage page(program());
  page.Reload();
  EXPECT_EQ(Field(page, 0), " " + program().Settings().GetText("game.serverName"));
  EXPECT_EQ(Field(page, 2).rfind(" Players: -- of ", 0), 0u) << Field(page, 2);
  EXPECT_EQ(Field(page, 6), " Process state: Stopped");
  EXPECT_EQ(Field(page, 8), " Connection state: Disconnected");
  EXPECT_EQ(Field(page, 9), " Game state: ??");
  EXPECT_FALSE(page.ShowsRunning());

  ASSERT_TRUE(StartServer());
  program().Queue().QueueCommand(kCmdRefreshPage, "manual", kOriginLocal, 0);
  EXPECT_TRUE(ProcessUntil(
      [&] {
        page.Reload();
        return Field(page, 8) == " Connection state: Connected";
      },
      10000))
      << Field(page, 8);
  EXPECT_EQ(Field(page, 6), " Process state: Running");
  EXPECT_TRUE(page.ShowsRunning());
  EXPECT_EQ(Field(page, 2).find("--"), std::string::npos) << Field(page, 2);
  EXPECT_NE(Field(page, 10), " Version: ??");
}

class ClientsPageTest : public testing::UiProgramTest {
 protected:
  void SetUp() override {
    MakeDemo();
    // A listener port of its own, so that tests running side by side do not meet.
    ASSERT_TRUE(StartProgram(nullptr, {"-port", std::to_string(testing::FreePort(SOCK_STREAM))}));
  }
};

TEST_F(ClientsPageTest, ListsALoggedInClientAndDisconnectsHim) {
  ClientsPage page(program());
  page.Reload();
  EXPECT_EQ(page.List()->topLevelItemCount(), 0);
  EXPECT_FALSE(page.MenuEntries(-1)[0].enabled);

  RemoteTestClient client(program().Listener().port());
  ASSERT_TRUE(client.connected());
  // The login is answered by the event loop of this thread, so the client waits elsewhere.
  std::future<int> login =
      std::async(std::launch::async, [&] { return client.Login("demo", "ashfront-demo"); });
  ASSERT_TRUE(ProcessUntil(
      [&] { return login.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
  ASSERT_EQ(login.get(), 0);
  ASSERT_TRUE(ProcessUntil(
      [&] {
        page.Reload();
        return page.List()->topLevelItemCount() == 1;
      },
      5000));
  const QTreeWidgetItem* row = page.List()->topLevelItem(0);
  EXPECT_EQ(row->text(0), "demo");
  EXPECT_EQ(row->text(1).toStdString(), client.address());
  EXPECT_EQ(row->text(2), "Connected");

  const std::vector<MenuEntry> menu = page.MenuEntries(0);
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].text, "Disconnect");
  EXPECT_TRUE(menu[0].enabled);
  page.RunMenuAction(menu[0].action, 0);
  EXPECT_TRUE(ProcessUntil(
      [&] {
        page.Reload();
        return page.List()->topLevelItemCount() == 0;
      },
      5000));
  // He was told before the line went down.
  const auto notice = client.ReceiveNotification();
  ASSERT_TRUE(notice.has_value());
  EXPECT_EQ(notice->first, static_cast<uint32_t>(kNotifyDisconnected));
  EXPECT_TRUE(client.ClosedByServer());
  EXPECT_NE(
      game()
          .Read("Varnholt.log")
          .find("User operator at console disconnected client demo at " + client.address() + "."),
      std::string::npos);
}

}  // namespace
}  // namespace varnholt
